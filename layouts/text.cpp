// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/text.h"

#include "climate/export_reader.h"

namespace pelk {
namespace {

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            length = 2;
        else if ((c & 0xF0) == 0xE0)
            length = 3;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            length = 4;
        else
            return false;
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::string Utf8FromLatin1(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

} // namespace

DecodedText DecodeText(std::string_view bytes) {
    DecodedText decoded;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        decoded.encoding =
            bigEndian ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian;
        Utf16Decoder decoder;
        decoder.setBigEndian(bigEndian);
        decoded.converted = decoder.decode(bytes.substr(2));
        decoded.converted += decoder.finish();
        return decoded;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) {
        decoded.utf8Bytes = bytes;
        return decoded;
    }
    decoded.encoding = TextEncoding::Latin1;
    decoded.converted = Utf8FromLatin1(bytes);
    return decoded;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p != end) {
        const char *const lineEnd = FindLineEnd(p, end);
        lines.emplace_back(p, static_cast<std::size_t>(lineEnd - p));
        if (lineEnd == end)
            break;
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p != end && *p == '\n')
            ++p;
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const std::vector<std::string_view> &FieldSplitter::split(std::string_view line) {
    fields_.clear();
    sawQuotes_ = false;
    // Room for every field written out at once, so that no view into it moves.
    unquoted_.clear();
    unquoted_.reserve(line.size());
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i < line.size() && line[i] == '"') {
            sawQuotes_ = true;
            const std::size_t start = ++i;
            bool doubled = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        doubled = true;
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            std::string_view inside = line.substr(start, i - start);
            if (doubled) {
                const std::size_t from = unquoted_.size();
                for (std::size_t k = 0; k < inside.size(); ++k) {
                    unquoted_ += inside[k];
                    if (inside[k] == '"')
                        ++k;
                }
                inside = std::string_view(unquoted_).substr(from);
            }
            fields_.push_back(TrimBlanks(inside));
            if (i < line.size())
                ++i; // the closing quote
            const std::size_t next = line.find(separator_, i);
            if (next == std::string_view::npos)
                return fields_;
            i = next + 1;
            continue;
        }
        const std::size_t next = line.find(separator_, i);
        fields_.push_back(
            TrimBlanks(line.substr(i, next == std::string_view::npos ? next : next - i)));
        if (next == std::string_view::npos)
            return fields_;
        i = next + 1;
    }
}

} // namespace pelk
