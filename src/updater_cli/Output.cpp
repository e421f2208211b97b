#include "updater_cli/Output.h"

#include "updater_cli/ExitCodes.h"

#include <cstdio>
#include <sstream>

namespace tolvar::cli {

namespace {

// Thousands separated by commas: 20,000 files.
std::string grouped(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string text;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) {
            text += ',';
        }
        text += digits[at];
    }
    return text;
}

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1000) {
        return std::to_string(bytes) + " bytes";
    }
    if (bytes < 1000 * 1000) {
        return fixed(static_cast<double>(bytes) / 1e3, 0) + " kB";
    }
    const double megabytes = static_cast<double>(bytes) / 1e6;
    return fixed(megabytes, megabytes < 10 ? 1 : 0) + " MB";
}

std::string amounts(const ProductResult& product, bool withTime) {
    std::string text = "(" + grouped(product.files) +
                       (product.files == 1 ? " file, " : " files, ") + sizeText(product.bytes);
    if (withTime) {
        text += ", " + fixed(product.seconds, 1) + " s";
    }
    return text + ")";
}

// A JSON string. Text that is not valid UTF-8 (a path in another encoding) keeps its valid
// characters and has each stray byte replaced, so the document always parses.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80           ? 1
                                   : (byte >> 5) == 0x6  ? 2
                                   : (byte >> 4) == 0xE  ? 3
                                   : (byte >> 3) == 0x1E ? 4
                                                         : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out + "\"";
}

} // namespace

std::string humanLines(const Report& report) {
    std::string lines;
    for (const ProductResult& product : report.products) {
        lines += product.name + ": ";
        switch (product.outcome) {
        case Outcome::Updated:
            lines += "updated " + amounts(product, true);
            break;
        case Outcome::Unchanged:
            lines += "unchanged";
            break;
        case Outcome::WouldUpdate:
            lines += "would update " + amounts(product, false);
            break;
        case Outcome::NotInstalled:
            lines += "not installed: " + product.error;
            break;
        case Outcome::Failed:
            lines += "failed, its Norvik folder is as it was: " + product.error;
            break;
        }
        lines += '\n';
    }
    if (report.products.empty()) {
        lines += "No product is installed here.\n";
    }
    for (const engine::EndedProcess& process : report.ended) {
        lines += "Ended " + process.name + " (process " + std::to_string(process.id) + ")\n";
    }
    return lines;
}

std::string jsonDocument(const Report& report) {
    std::ostringstream out;
    out << "{\n  \"source\": " << quoted(report.source.string())
        << ",\n  \"check\": " << (report.check ? "true" : "false")
        << ",\n  \"exitCode\": " << report.exitCode() << ",\n  \"products\": [";
    const char* separator = "\n";
    for (const ProductResult& product : report.products) {
        out << separator << "    {\"name\": " << quoted(product.name)
            << ", \"directory\": " << quoted(product.directory.string())
            << ", \"outcome\": " << quoted(outcomeName(product.outcome))
            << ", \"error\": " << (product.error.empty() ? "null" : quoted(product.error))
            << ", \"files\": " << product.files << ", \"bytes\": " << product.bytes
            << ", \"seconds\": " << fixed(product.seconds, 3) << "}";
        separator = ",\n";
    }
    out << (report.products.empty() ? "" : "\n  ") << "],\n  \"processesEnded\": [";
    separator = "";
    for (const engine::EndedProcess& process : report.ended) {
        out << separator << "{\"name\": " << quoted(process.name) << ", \"id\": " << process.id
            << "}";
        separator = ", ";
    }
    out << "]\n}\n";
    return out.str();
}

std::string jsonSetUpError(const std::string& error) {
    return "{\n  \"exitCode\": " + std::to_string(exitcode::SetUpError) +
           ",\n  \"error\": " + quoted(error) + "\n}\n";
}

} // namespace tolvar::cli
