#include "platform/RegistryFile.h"

#include "platform/TextEncoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace tolvar::platform {

namespace {

std::string folded(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

bool startsFolded(std::string_view text, std::string_view prefix) {
    return folded(text.substr(0, prefix.size())) == prefix;
}

struct RootName {
    std::string_view full;
    std::string_view shortName;
};
constexpr std::array<RootName, 5> Roots = {{{"hkey_local_machine", "hklm"},
                                            {"hkey_current_user", "hkcu"},
                                            {"hkey_classes_root", "hkcr"},
                                            {"hkey_users", "hku"},
                                            {"hkey_current_config", "hkcc"}}};

// The form keys are stored under: folded, with the root spelled out. Empty for a path with an
// unknown root or an empty key name in it.
std::string canonicalKey(std::string_view path) {
    std::string key = folded(path);
    const std::string_view root = std::string_view(key).substr(0, key.find('\\'));
    const auto known = std::find_if(Roots.begin(), Roots.end(), [root](const RootName& name) {
        return root == name.full || root == name.shortName;
    });
    if (known == Roots.end()) {
        return {};
    }
    key.replace(0, root.size(), known->full);
    if (key.ends_with('\\') || key.find("\\\\") != std::string::npos) {
        return {};
    }
    return key;
}

std::optional<std::uint32_t> hexNumber(std::string_view digits, std::size_t maxDigits) {
    std::uint32_t number = 0;
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), number, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return number;
}

std::string littleEndian(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The byte counts a value of these types must have to be read as the type says.
std::optional<std::size_t> fixedSize(std::uint32_t type) {
    switch (type) {
    case regtype::Dword:
    case 5: // big-endian 32-bit number
        return 4;
    case 11: // 64-bit number
        return 8;
    default:
        return std::nullopt;
    }
}

// Windows refuses longer key and value names and deeper paths.
constexpr std::size_t MaxKeyName = 255;
constexpr std::size_t MaxKeyDepth = 512;
constexpr std::size_t MaxValueName = 16383;

} // namespace

class RegistryFileParser {
public:
    explicit RegistryFileParser(std::string_view bytes) : text_(decodeTextFile(bytes)) {
        std::string_view rest = text_;
        while (!rest.empty()) {
            const auto end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            lines_.push_back(line);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
    }

    RegistryStore parse() {
        readHeader();
        for (++at_; at_ < lines_.size(); ++at_) {
            const std::string_view line = trimBlanks(lines_[at_]);
            if (line.empty() || line.starts_with(';')) {
                continue;
            }
            if (line.starts_with('[')) {
                readKey(line);
            } else if (line.starts_with('"') || line.starts_with('@')) {
                readValue(line);
            } else {
                fail("unrecognised line");
            }
        }
        return std::move(store_);
    }

private:
    enum class Section { None, Key, Deleted };

    [[noreturn]] void fail(const std::string& what) const {
        throw RegistryFileError(static_cast<int>(at_ + 1), what);
    }

    void readHeader() {
        const std::string_view header = lines_.empty() ? std::string_view() : trimBlanks(lines_[0]);
        if (header == "Windows Registry Editor Version 5.00") {
            unicode_ = true;
        } else if (header != "REGEDIT4") {
            fail("not a registry export file (bad header)");
        }
    }

    // The registry's own limits, so that no file makes the program hold what Windows never would.
    void checkLimits(std::string_view key) const {
        std::size_t depth = 0;
        for (std::size_t start = key.find('\\'); start != std::string_view::npos; ++depth) {
            const auto end = key.find('\\', start + 1);
            if (characterCount(key.substr(start + 1, end - start - 1)) > MaxKeyName) {
                fail("key name longer than " + std::to_string(MaxKeyName) + " characters");
            }
            start = end;
        }
        if (depth > MaxKeyDepth) {
            fail("key path deeper than " + std::to_string(MaxKeyDepth) + " levels");
        }
    }

    void readKey(std::string_view line) {
        const auto close = line.rfind(']');
        if (close != line.size() - 1) {
            fail("key line without a closing ']'");
        }
        std::string_view path = line.substr(1, close - 1);
        const bool deleting = path.starts_with('-');
        if (deleting) {
            path.remove_prefix(1);
        }
        const std::string key = canonicalKey(path);
        if (key.empty()) {
            fail("bad key path \"" + std::string(path) + "\"");
        }
        checkLimits(key);
        if (deleting) {
            store_.erase(key);
            section_ = Section::Deleted;
            return;
        }
        current_ = &store_.keys_[key];
        section_ = Section::Key;
    }

    void readValue(std::string_view line) {
        if (section_ == Section::None) {
            fail("value outside a key");
        }
        std::string name;
        if (line.starts_with('@')) {
            line.remove_prefix(1);
        } else {
            name = quoted(line);
        }
        if (characterCount(name) > MaxValueName) {
            fail("value name longer than " + std::to_string(MaxValueName) + " characters");
        }
        line = trimBlanks(line);
        if (!line.starts_with('=')) {
            fail("'=' expected after the value name");
        }
        line = trimBlanks(line.substr(1));
        const auto data = line == "-" ? std::nullopt : std::optional(valueData(line));
        // Values under a removed key have nowhere to go; they are checked, then dropped.
        if (section_ == Section::Deleted) {
            return;
        }
        if (data) {
            (*current_)[folded(name)] = *data;
        } else {
            current_->erase(folded(name));
        }
    }

    // Reads a "..." text with its \\ and \" escapes from the front of `line`, leaving the rest.
    // Any other backslash is taken as it stands, as a hand-written path would mean it.
    std::string quoted(std::string_view& line) const {
        std::string text;
        for (std::size_t i = 1; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                line.remove_prefix(i + 1);
                return text;
            }
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
                ++i;
            }
            text += line[i];
        }
        fail("unterminated string");
    }

    RegistryValue valueData(std::string_view data) {
        if (data.starts_with('"')) {
            const std::string text = quoted(data);
            if (!trimBlanks(data).empty()) {
                fail("text after the closing quote");
            }
            return {regtype::String, utf8ToUtf16le(text) + std::string(2, '\0')};
        }
        if (startsFolded(data, "dword:")) {
            const auto number = hexNumber(data.substr(6), 8);
            if (!number) {
                fail("a dword needs 1 to 8 hex digits");
            }
            return {regtype::Dword, littleEndian(*number)};
        }
        if (startsFolded(data, "hex:")) {
            return binary(regtype::Binary, data.substr(4));
        }
        if (startsFolded(data, "hex(")) {
            const auto close = data.find("):");
            const auto type = close == std::string_view::npos
                                  ? std::nullopt
                                  : hexNumber(data.substr(4, close - 4), 8);
            if (!type) {
                fail("bad value type in hex(...)");
            }
            return binary(*type, data.substr(close + 2));
        }
        fail("unknown kind of value data");
    }

    RegistryValue binary(std::uint32_t type, std::string_view list) {
        const std::size_t firstLine = at_;
        std::string bytes = hexList(list);
        const auto size = fixedSize(type);
        if (regtype::holdsText(type) && !unicode_) {
            bytes = utf8ToUtf16le(windows1252ToUtf8(bytes));
        }
        const bool badSize =
            size ? bytes.size() != *size : regtype::holdsText(type) && bytes.size() % 2;
        if (badSize) {
            at_ = firstLine;
            fail("wrong number of bytes for a value of type " + std::to_string(type));
        }
        return {type, std::move(bytes)};
    }

    // Comma-separated bytes; a line ending in "\" continues on the next one, whose leading
    // blanks are indentation.
    std::string hexList(std::string_view piece) {
        std::string bytes;
        for (bool first = true;; first = false) {
            piece = trimBlanks(piece);
            const bool continued = piece.ends_with('\\');
            if (continued) {
                piece = trimBlanks(piece.substr(0, piece.size() - 1));
            }
            if (!(piece.empty() && first && !continued)) {
                for (std::size_t start = 0;;) {
                    const auto comma = piece.find(',', start);
                    const std::string_view token = trimBlanks(piece.substr(start, comma - start));
                    const bool last = comma == std::string_view::npos;
                    if (token.empty() && !(last && continued)) {
                        fail("hex list cut short");
                    }
                    if (!token.empty()) {
                        const auto byte = hexNumber(token, 2);
                        if (!byte) {
                            fail("bad hex byte \"" + std::string(token) + "\"");
                        }
                        bytes += static_cast<char>(*byte);
                    }
                    if (last) {
                        break;
                    }
                    start = comma + 1;
                }
            }
            if (!continued) {
                return bytes;
            }
            if (++at_ == lines_.size()) {
                --at_;
                fail("hex list runs past the end of the file");
            }
            piece = lines_[at_];
        }
    }

    std::string text_;
    std::vector<std::string_view> lines_;
    std::size_t at_ = 0;
    bool unicode_ = false;
    Section section_ = Section::None;
    RegistryStore::Values* current_ = nullptr;
    RegistryStore store_;
};

RegistryStore RegistryStore::parse(std::string_view fileBytes) {
    return RegistryFileParser(fileBytes).parse();
}

bool RegistryStore::hasKey(std::string_view keyPath) const {
    const std::string key = canonicalKey(keyPath);
    if (key.empty()) {
        return false;
    }
    if (keys_.contains(key)) {
        return true;
    }
    const std::string below = key + '\\';
    const auto next = keys_.lower_bound(below);
    return next != keys_.end() && next->first.starts_with(below);
}

// A key's subkeys sort together right after "key\", before "key]" (']' follows '\\'), so the
// whole subtree goes as one range. The parent of a key that was there stays, as an import
// leaves it.
void RegistryStore::erase(const std::string& key) {
    const auto first = keys_.lower_bound(key + '\\');
    const auto last = keys_.lower_bound(key + ']');
    const bool existed = first != last || keys_.contains(key);
    keys_.erase(first, last);
    keys_.erase(key);
    const auto parent = key.rfind('\\');
    if (existed && parent != std::string::npos) {
        keys_.try_emplace(key.substr(0, parent));
    }
}

std::optional<RegistryValue> RegistryStore::value(std::string_view keyPath,
                                                  std::string_view name) const {
    const auto key = keys_.find(canonicalKey(keyPath));
    if (key == keys_.end()) {
        return std::nullopt;
    }
    const auto found = key->second.find(folded(name));
    if (found == key->second.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace tolvar::platform
