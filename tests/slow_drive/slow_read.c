/* Makes one file read like a slow drive (a NAS over Wi-Fi, a USB 2.0 disk) for
 * the process it is preloaded into and its children: under Wine the Windows
 * program's ReadFile becomes read or pread in that very process. Each read of
 * the file returns only after its bytes would have crossed a link of the given
 * rate; every other descriptor is left alone. A far share (SMB across a WAN or
 * a VPN) also answers each request only after a round trip: with
 * TARNVEL_SLOW_ROUND_TRIP_MS each read first waits that long, then its bytes.
 * Wine makes one read or pread of each ReadFile on a regular file, so the
 * round trip is paid once per ReadFile, as an SMB client pays it once per
 * request it can make as large as the call.
 *
 *   LD_PRELOAD=slow_read.so TARNVEL_SLOW_FILE=/unix/path TARNVEL_SLOW_BYTES_PER_SECOND=3000000 \
 *     [TARNVEL_SLOW_ROUND_TRIP_MS=30] wine ...
 *
 * The file is told by device and inode, so it is found whichever name opened it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

static dev_t slow_device;
static ino_t slow_inode;
static int slow_known; /* 1: found; -1: not configured */
static double bytes_per_second;
static double round_trip_seconds;

static int is_slow(int fd) {
    struct stat info;
    if (slow_known == 0) {
        const char *path = getenv("TARNVEL_SLOW_FILE");
        const char *rate = getenv("TARNVEL_SLOW_BYTES_PER_SECOND");
        if (!path || !rate || (bytes_per_second = strtod(rate, NULL)) <= 0) {
            slow_known = -1;
            return 0;
        }
        const char *round_trip = getenv("TARNVEL_SLOW_ROUND_TRIP_MS");
        if (round_trip) round_trip_seconds = strtod(round_trip, NULL) / 1000;
        if (round_trip_seconds < 0) round_trip_seconds = 0;
        /* Looked for again on each read until it exists: it may be made after the start. */
        if (stat(path, &info) != 0) return 0;
        slow_device = info.st_dev;
        slow_inode = info.st_ino;
        slow_known = 1;
    }
    return slow_known == 1 && fstat(fd, &info) == 0 && info.st_dev == slow_device && info.st_ino == slow_inode;
}

/* Waits until the request has gone there and the bytes have come back, counted
 * from the call's start. A read at the end of the file still asked the far side. */
static void pace(const struct timespec *start, ssize_t bytes) {
    if (bytes < 0) return;
    const double seconds = round_trip_seconds + (double)bytes / bytes_per_second;
    if (seconds <= 0) return;
    struct timespec until = *start;
    until.tv_sec += (time_t)seconds;
    until.tv_nsec += (long)((seconds - (double)(time_t)seconds) * 1e9);
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    const int saved = errno;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) == EINTR) {
    }
    errno = saved;
}

#define SLOWED(name, ret, params, args)                                   \
    ret name params {                                                     \
        static ret(*real) params;                                         \
        if (!real) real = (ret(*) params)dlsym(RTLD_NEXT, #name);         \
        if (!is_slow(fd)) return real args;                               \
        struct timespec start;                                            \
        clock_gettime(CLOCK_MONOTONIC, &start);                           \
        const ret got = real args;                                        \
        pace(&start, got);                                                \
        return got;                                                       \
    }

SLOWED(read, ssize_t, (int fd, void *buffer, size_t bytes), (fd, buffer, bytes))
SLOWED(pread, ssize_t, (int fd, void *buffer, size_t bytes, off_t offset), (fd, buffer, bytes, offset))
SLOWED(pread64, ssize_t, (int fd, void *buffer, size_t bytes, off64_t offset), (fd, buffer, bytes, offset))
SLOWED(readv, ssize_t, (int fd, const struct iovec *parts, int count), (fd, parts, count))
SLOWED(preadv, ssize_t, (int fd, const struct iovec *parts, int count, off_t offset), (fd, parts, count, offset))
SLOWED(preadv64, ssize_t, (int fd, const struct iovec *parts, int count, off64_t offset), (fd, parts, count, offset))
