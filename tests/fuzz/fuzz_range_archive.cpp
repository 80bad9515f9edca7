// Archived ranges and their "{location, length}" text form.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "text/WRangeObj.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> archive(data, data + size);
    size_t offset = 0;
    std::vector<uint8_t> written;
    WRangeObj range;
    while (range.initWithCoder(archive, offset)) {
        FUZZ_CHECK(offset <= archive.size());
        range.encodeWithCoder(written);
        // The text form names the same range.
        FUZZ_CHECK(WRangeObj(range.string()) == range);
    }
    // Whole ranges read are written back byte for byte.
    FUZZ_CHECK(written.size() <= archive.size());
    FUZZ_CHECK(std::equal(written.begin(), written.end(), archive.begin()));

    WRangeObj parsed(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(WRangeObj(parsed.string()) == parsed);
    return 0;
}
