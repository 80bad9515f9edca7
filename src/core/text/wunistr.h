#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A heap buffer of UTF-16 code units, walked unit by unit by the scanners,
// the line counter and the wrapping code. The caller destroys what it constructs.
using unichar = char16_t;

struct wunistr {
    unichar* string = nullptr;
    uint32_t length = 0;
    uint32_t mem_size = 0;
};

wunistr uni_construct_with_string(std::u16string_view text);
wunistr uni_construct_with_size(uint32_t size);
void uni_destruct(wunistr buffer);
// count + 1 records, the last an empty end mark; null for null.
wunistr* uni_construct_with_array(const std::vector<std::u16string>* strings);
void uni_destruct_array(wunistr* array);
void uni_append_char(wunistr* buffer, unichar unit);
// 0 when the first n units are equal; 1 if a's differing unit is smaller, -1 if larger.
int unistrncmp(const unichar* a, const unichar* b, uint32_t n);
bool uni_is_return_char(unichar unit);
bool uni_does_contain_char(wunistr buffer, unichar unit);
int32_t uni_offset_of_char(wunistr buffer, unichar unit);
