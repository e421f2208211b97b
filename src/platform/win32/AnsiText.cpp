#include "platform/win32/AnsiText.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace tolvar::platform::win32 {

namespace {

int lengthOf(std::size_t size) {
    if (size > INT_MAX) {
        throw std::length_error("text too long for the platform");
    }
    return static_cast<int>(size);
}

std::wstring wide(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = lengthOf(text.size());
    std::wstring result(
        static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, result.data(),
                        static_cast<int>(result.size()));
    return result;
}

std::string narrow(UINT codePage, std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = lengthOf(text.size());
    std::string result(static_cast<std::size_t>(WideCharToMultiByte(
                           codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, result.data(),
                        static_cast<int>(result.size()), nullptr, nullptr);
    return result;
}

} // namespace

std::string toAnsi(std::string_view text) {
    return narrow(CP_ACP, wide(CP_UTF8, text));
}

std::string fromAnsi(std::string_view bytes) {
    return narrow(CP_UTF8, wide(CP_ACP, bytes));
}

} // namespace tolvar::platform::win32
