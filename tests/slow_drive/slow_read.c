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
 * Real drives rarely keep one pace, and three more variables say how not:
 *   TARNVEL_SLOW_CACHED_BYTES=N  the first N bytes are in the client's cache,
 *       as after an earlier cut: a read that ends within them costs nothing;
 *       one that runs past them pays the round trip and its bytes beyond N.
 *       Which bytes are cached is told by their place in the file alone; the
 *       bytes themselves always come from the page cache.
 *   TARNVEL_SLOW_JITTER_MS=J     each round trip paid is drawn uniformly within
 *       J of the round trip, never below zero, from TARNVEL_SLOW_SEED (0 when
 *       unset), so that a run can be repeated draw for draw.
 *   TARNVEL_SLOW_READ_AHEAD=1    the client asks for the next read while this
 *       one's bytes come: the first read that is paced pays its round trip,
 *       the second does not, the third does, and so on.
 * TARNVEL_SLOW_TRACE=1 writes each read's offset, size and wait to stderr.
 *
 *   LD_PRELOAD=slow_read.so TARNVEL_SLOW_FILE=/unix/path TARNVEL_SLOW_BYTES_PER_SECOND=3000000 \
 *     [TARNVEL_SLOW_ROUND_TRIP_MS=30] wine ...
 *
 * The file is told by device and inode, so it is found whichever name opened it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
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
static off_t cached_bytes;
static double jitter_seconds;
static uint64_t seed;
static int read_ahead;
static int trace;
static atomic_uint_fast64_t draws;       /* round trips drawn so far */
static atomic_uint_fast64_t paced_reads; /* reads that were not all cached */

static double number(const char *name) {
    const char *text = getenv(name);
    const double value = text ? strtod(text, NULL) : 0;
    return value > 0 ? value : 0;
}

static int is_slow(int fd) {
    struct stat info;
    if (slow_known == 0) {
        const char *path = getenv("TARNVEL_SLOW_FILE");
        const char *rate = getenv("TARNVEL_SLOW_BYTES_PER_SECOND");
        if (!path || !rate || (bytes_per_second = strtod(rate, NULL)) <= 0) {
            slow_known = -1;
            return 0;
        }
        round_trip_seconds = number("TARNVEL_SLOW_ROUND_TRIP_MS") / 1000;
        cached_bytes = (off_t)number("TARNVEL_SLOW_CACHED_BYTES");
        jitter_seconds = number("TARNVEL_SLOW_JITTER_MS") / 1000;
        const char *seed_text = getenv("TARNVEL_SLOW_SEED");
        seed = seed_text ? strtoull(seed_text, NULL, 10) : 0;
        read_ahead = number("TARNVEL_SLOW_READ_AHEAD") > 0;
        trace = number("TARNVEL_SLOW_TRACE") > 0;
        /* Looked for again on each read until it exists: it may be made after the start. */
        if (stat(path, &info) != 0) return 0;
        slow_device = info.st_dev;
        slow_inode = info.st_ino;
        slow_known = 1;
    }
    return slow_known == 1 && fstat(fd, &info) == 0 && info.st_dev == slow_device && info.st_ino == slow_inode;
}

/* Uniform in [0, 1): the n-th output of SplitMix64 from the seed, so that
 * threads reading at once still draw each number once. */
static double draw(void) {
    uint64_t z = seed + (atomic_fetch_add(&draws, 1) + 1) * 0x9e3779b97f4a7c15u;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return (double)((z ^ (z >> 31)) >> 11) / 9007199254740992.0;
}

static double round_trip(void) {
    if (read_ahead && atomic_fetch_add(&paced_reads, 1) % 2 == 1) return 0;
    if (jitter_seconds <= 0) return round_trip_seconds;
    const double drawn = round_trip_seconds + jitter_seconds * (2 * draw() - 1);
    return drawn > 0 ? drawn : 0;
}

/* Waits until the request has gone there and the bytes have come back, counted
 * from the call's start. A read at the end of the file still asked the far side,
 * unless the cache already holds up to there. `at` is where the read began. */
static void pace(const struct timespec *start, off_t at, ssize_t bytes) {
    if (bytes < 0) return;
    if (at < 0) at = cached_bytes; /* not known: paid as if beyond the cache */
    const off_t end = at + bytes;
    const int cached = cached_bytes > 0 && end <= cached_bytes;
    const off_t paced = at < cached_bytes ? end - cached_bytes : (off_t)bytes;
    const double seconds = cached ? 0 : round_trip() + (double)paced / bytes_per_second;
    if (trace) fprintf(stderr, "slow_read: at %lld, %zd bytes, %.6f s\n", (long long)at, bytes, seconds);
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

/* `at` is where the read begins; asked only when a cached prefix needs it. */
#define SLOWED(name, ret, params, args, at)                               \
    ret name params {                                                     \
        static ret(*real) params;                                         \
        if (!real) real = (ret(*) params)dlsym(RTLD_NEXT, #name);         \
        if (!is_slow(fd)) return real args;                               \
        struct timespec start;                                            \
        clock_gettime(CLOCK_MONOTONIC, &start);                           \
        const off_t from = cached_bytes > 0 || trace ? (at) : 0;          \
        const ret got = real args;                                        \
        pace(&start, from, got);                                          \
        return got;                                                       \
    }

#define HERE lseek(fd, 0, SEEK_CUR)
SLOWED(read, ssize_t, (int fd, void *buffer, size_t bytes), (fd, buffer, bytes), HERE)
SLOWED(pread, ssize_t, (int fd, void *buffer, size_t bytes, off_t offset), (fd, buffer, bytes, offset), offset)
SLOWED(pread64, ssize_t, (int fd, void *buffer, size_t bytes, off64_t offset), (fd, buffer, bytes, offset), offset)
SLOWED(readv, ssize_t, (int fd, const struct iovec *parts, int count), (fd, parts, count), HERE)
SLOWED(preadv, ssize_t, (int fd, const struct iovec *parts, int count, off_t offset), (fd, parts, count, offset),
       offset)
SLOWED(preadv64, ssize_t, (int fd, const struct iovec *parts, int count, off64_t offset),
       (fd, parts, count, offset), offset)
