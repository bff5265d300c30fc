# Every form of the version, made from project()'s VERSION, the one place it
# is written: the version record's "0.00.0001" is major.minor.revision with the
# minor in two digits and the revision in four, and its binary FILEVERSION and
# the manifest's identity put the revision last (0,0,0,1 and 0.0.0.1). The
# About window's "Version 1.00" is a caption of its fixed design
# (core/src/words.cpp) and follows none of them.
function(tarnvel_zero_padded out value width)
  string(LENGTH "${value}" length)
  if(length GREATER width)
    message(FATAL_ERROR "version part ${value} has more than ${width} digits")
  endif()
  math(EXPR zeros "${width} - ${length}")
  string(REPEAT 0 ${zeros} padding)
  set(${out} "${padding}${value}" PARENT_SCOPE)
endfunction()

tarnvel_zero_padded(minor ${PROJECT_VERSION_MINOR} 2)
tarnvel_zero_padded(revision ${PROJECT_VERSION_PATCH} 4)
set(TARNVEL_VERSION_STRING "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
set(TARNVEL_VERSION_NUMBER "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, 0, ${PROJECT_VERSION_PATCH}")
set(TARNVEL_ASSEMBLY_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.${PROJECT_VERSION_PATCH}")
