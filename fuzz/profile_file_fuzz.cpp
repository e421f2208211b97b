// The profile reader on any text: the same answer every time, never longer than the buffer,
// and a plain value written under a section reads back.
#include "FuzzCheck.h"
#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"

#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

using namespace tolvar::platform;

namespace {

// Letters, digits and inner blanks only: nothing the reader strips or splits on.
std::string plain(FuzzedDataProvider& data, std::size_t longest) {
    std::string text = data.ConsumeRandomLengthString(longest);
    std::erase_if(text, [](char c) {
        return !(c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                 (c >= 'a' && c <= 'z'));
    });
    const auto inner = trimBlanks(text);
    return std::string(inner);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string section = data.ConsumeRandomLengthString(32);
    const std::string key = data.ConsumeRandomLengthString(32);
    const std::string fallback = data.ConsumeRandomLengthString(32);
    const std::size_t bufferSize = data.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::string text = data.ConsumeRemainingBytesAsString();

    const std::string answer = profileString(text, section, key, fallback, bufferSize);
    FUZZ_CHECK(answer == profileString(text, section, key, fallback, bufferSize));
    FUZZ_CHECK(answer.find('\0') == std::string::npos);
    FUZZ_CHECK(characterCount(answer) <= bufferSize - 1);

    // The same names and a value of its own, written as a file would hold them.
    FuzzedDataProvider again(bytes, size);
    const std::string name = "S" + plain(again, 20);
    const std::string entry = "K" + plain(again, 20);
    const std::string value = plain(again, 300);
    const std::string file = "; written\r\n[" + name + "]\r\n" + entry + " = " + value + "\r\n";
    FUZZ_CHECK(profileString(file, name, entry, "-", 255) == value.substr(0, 254));
    return 0;
}
