// extensionFor on any UTF-16 path, lone surrogates included: the last three
// units when the fourth from the end is a dot, else the last four, and the
// whole of a shorter path. The input's bytes are the path's units; an odd
// last byte is dropped.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tarnvel/chosen_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path(size / 2, u'\0');
    std::memcpy(path.data(), data, path.size() * 2);

    const std::u16string ext = tarnvel::extensionFor(path);
    const std::size_t n = path.size();
    const std::size_t want = n < 4 ? n : path[n - 4] == u'.' ? 3 : 4;
    if (ext.size() == want && path.ends_with(ext)) return 0;

    std::fprintf(stderr, "extension_fuzz: want the last %zu units\n  path:", want);
    for (char16_t unit : path) std::fprintf(stderr, " %04X", static_cast<unsigned>(unit));
    std::fprintf(stderr, "\n  got: ");
    for (char16_t unit : ext) std::fprintf(stderr, " %04X", static_cast<unsigned>(unit));
    std::fprintf(stderr, "\n");
    std::abort();
}
