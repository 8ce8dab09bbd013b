// The common library's number and list parsers over any text, with every type code.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "contracts/ROVA_Common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int type = data[0] % kDigitalTypeCount;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const int length = (data[0] & 0x80) ? -1 : static_cast<int>(text.size());

    alignas(8) unsigned char value[8];
    if (DigtalStringToValue(text.c_str(), length, value, type)) {
        double d;
        if (type == kDigitalTypeDouble) {
            std::memcpy(&d, value, sizeof d);
            if (!std::isfinite(d)) abort();
        }
    }
    const int count = ParseDigitalArrayValue(text.c_str(), length, ",; ", data[0] & 1, 0, type, nullptr, -1);
    if (count > 0) {
        std::vector<unsigned char> values(static_cast<size_t>(count) * 8);
        const int stored = ParseDigitalArrayValue(text.c_str(), length, ",; ", data[0] & 1, 0, type, values.data(), count);
        if (stored > count) abort();
    }
    char** pieces = nullptr;
    const int n = DevideStringByCharListA(text.c_str(), length, ";,", data[0] & 1, data[0] & 2, &pieces, -1);
    for (int i = 0; i < n; ++i) {
        if (!pieces[i]) abort();
        (void)std::strlen(pieces[i]);
    }
    if (pieces) Internal_DelArrayA(pieces);

    std::wstring wide(text.begin(), text.end());
    wchar_t** widePieces = nullptr;
    const int w = DevideStringByCharListW(wide.c_str(), length, L";,", data[0] & 1, data[0] & 2, &widePieces, -1);
    for (int i = 0; i < w; ++i) (void)std::wcslen(widePieces[i]);
    if (widePieces) Internal_DelArrayW(widePieces);
    return 0;
}
