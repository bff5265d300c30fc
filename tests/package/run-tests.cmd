@echo off
rem Runs the core suite and the end-to-end suite from this folder.
rem Usage: run-tests.cmd [path of Tarnvel.exe]   (default: the one beside this file)
rem With TARNVEL_E2E_SCREENSHOTS naming a folder, each failing end-to-end case
rem leaves a screenshot of the screen there, taken before its Tarnvel is ended.
setlocal
cd /d "%~dp0"
set "tarnvel=%~1"
if "%tarnvel%"=="" set "tarnvel=%~dp0Tarnvel.exe"
if not exist "%tarnvel%" (
  echo No Tarnvel.exe at "%tarnvel%".
  exit /b 2
)

rem The end-to-end suite creates C:\tarnvel.* and C:\tarnvel-e2e; without the
rem right to create files in C:\ every cut it starts would fail, one by one.
set "probe=C:\tarnvel-e2e-probe.tmp"
type nul > "%probe%" 2>nul
if not exist "%probe%" (
  echo Cannot create files in C:\. Run this from an elevated command prompt.
  exit /b 2
)
del "%probe%"

echo == core_tests.exe
core_tests.exe
set "core=%errorlevel%"
echo == tarnvel_e2e.exe "%tarnvel%"
if defined TARNVEL_E2E_SCREENSHOTS echo    screenshots of failing cases: %TARNVEL_E2E_SCREENSHOTS%
tarnvel_e2e.exe "%tarnvel%"
set "e2e=%errorlevel%"

if not "%core%"=="0" goto failed
if not "%e2e%"=="0" goto failed
echo == all tests passed
exit /b 0
:failed
echo == FAILED: core_tests.exe exit code %core%, tarnvel_e2e.exe exit code %e2e%
exit /b 1
