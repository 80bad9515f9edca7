#include "text/wunistr.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
unichar* allocateUnits(uint32_t count)
{
    // malloc(0) may answer null; always keep a real block so callers can free it.
    return static_cast<unichar*>(std::malloc(sizeof(unichar) * std::max<uint32_t>(count, 1)));
}
}  // namespace

wunistr uni_construct_with_string(std::u16string_view text)
{
    wunistr buffer;
    auto count = static_cast<uint32_t>(text.size());
    buffer.string = allocateUnits(count);
    if (count)
        std::memcpy(buffer.string, text.data(), sizeof(unichar) * count);
    buffer.length = count;
    buffer.mem_size = count;
    return buffer;
}

wunistr uni_construct_with_size(uint32_t size)
{
    wunistr buffer;
    buffer.string = allocateUnits(size);
    buffer.length = 0;
    buffer.mem_size = size;
    return buffer;
}

void uni_destruct(wunistr buffer)
{
    std::free(buffer.string);
}

wunistr* uni_construct_with_array(const std::vector<std::u16string>* strings)
{
    if (!strings)
        return nullptr;
    auto* array = static_cast<wunistr*>(std::malloc(sizeof(wunistr) * (strings->size() + 1)));
    for (size_t i = 0; i < strings->size(); ++i)
        array[i] = uni_construct_with_string((*strings)[i]);
    array[strings->size()] = uni_construct_with_size(0);
    return array;
}

void uni_destruct_array(wunistr* array)
{
    if (!array)
        return;
    wunistr* record = array;
    for (; record->length != 0; ++record)
        uni_destruct(*record);
    uni_destruct(*record);  // the end mark owns a block too
    std::free(array);
}

void uni_append_char(wunistr* buffer, unichar unit)
{
    if (buffer->length + 1 > buffer->mem_size || !buffer->string) {
        // Grow geometrically so appending a whole text stays linear.
        uint32_t size = std::max<uint32_t>({buffer->length + 1, buffer->mem_size * 2, 16});
        auto* grown = static_cast<unichar*>(std::realloc(buffer->string, sizeof(unichar) * size));
        buffer->string = grown;
        buffer->mem_size = size;
    }
    buffer->string[buffer->length++] = unit;
}

int unistrncmp(const unichar* a, const unichar* b, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? 1 : -1;
    }
    return 0;
}

bool uni_is_return_char(unichar unit)
{
    return unit == 0x000D || unit == 0x000A || unit == 0x2028 || unit == 0x2029;
}

bool uni_does_contain_char(wunistr buffer, unichar unit)
{
    return uni_offset_of_char(buffer, unit) >= 0;
}

int32_t uni_offset_of_char(wunistr buffer, unichar unit)
{
    for (uint32_t i = 0; i < buffer.length; ++i) {
        if (buffer.string[i] == unit)
            return static_cast<int32_t>(i);
    }
    return -1;
}
