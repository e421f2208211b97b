// The .reg parser on any bytes: it parses or names a line, the same way every time, and what a
// file states is what the parse holds.
#include "FuzzCheck.h"
#include "platform/RegistryFile.h"
#include "platform/TextEncoding.h"

#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>

using namespace tolvar::platform;

namespace {

// "ok", or the line and text of the error.
std::string outcome(std::string_view bytes) {
    try {
        RegistryStore::parse(bytes);
        return "ok";
    } catch (const RegistryFileError& error) {
        FUZZ_CHECK(error.line() >= 1);
        return std::to_string(error.line()) + ": " + error.what();
    }
}

// A name that needs no escaping and stays within the registry's limits.
std::string plainName(FuzzedDataProvider& data, std::size_t longest) {
    std::string name = data.ConsumeRandomLengthString(longest);
    std::erase_if(name, [](char c) {
        return c == '\\' || c == '"' || c == '[' || c == ']' || c == '\r' || c == '\n' ||
               static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F;
    });
    return name;
}

std::string hexList(const std::string& bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string list;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        list += list.empty() ? "" : ",";
        list += Digits[b >> 4];
        list += Digits[b & 15];
    }
    return list;
}

// A file written from the input's pieces reads back as written.
void roundTrip(FuzzedDataProvider& data) {
    std::string key = "HKLM\\" + plainName(data, 40);
    const std::string sub = plainName(data, 40);
    if (!sub.empty())
        key += "\\" + sub;
    // Never "bin", the binary value's name.
    const std::string valueName = "v" + plainName(data, 60);
    const std::string text = plainName(data, 200);
    const std::string bytes = data.ConsumeRandomLengthString(200);
    const bool deleteKey = data.ConsumeBool();
    std::string file = "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n\"" +
                       valueName + "\"=\"" + text + "\"\r\n\"bin\"=hex:" + hexList(bytes) + "\r\n";
    if (deleteKey)
        file += "[-" + key + "]\r\n";
    const auto keyValid = [&] {
        return key.find("\\\\") == std::string::npos && !key.ends_with('\\');
    }();
    std::optional<RegistryStore> store;
    try {
        store = RegistryStore::parse(file);
    } catch (const RegistryFileError&) {
        FUZZ_CHECK(!keyValid);
        return;
    }
    FUZZ_CHECK(keyValid);
    FUZZ_CHECK(store->hasKey(key) == !deleteKey);
    // A removed key's parent stays.
    FUZZ_CHECK(store->hasKey(key.substr(0, key.rfind('\\'))));
    if (deleteKey)
        return;
    const auto stored = store->value(key, valueName);
    FUZZ_CHECK(stored && stored->data == utf8ToUtf16le(text) + std::string(2, '\0'));
    if (!bytes.empty()) {
        const auto binary = store->value(key, "BIN");
        FUZZ_CHECK(binary && binary->data == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    FUZZ_CHECK(outcome(input) == outcome(input));
    FuzzedDataProvider data(bytes, size);
    roundTrip(data);
    return 0;
}
