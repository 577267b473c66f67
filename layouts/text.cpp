// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/text.h"

#include "climate/export_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace pelk {
namespace {

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Most of a logger's file is ASCII: eight bytes at a time until a byte has its high bit.
        std::uint64_t word = 0;
        while (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080) != 0)
                break;
            i += sizeof word;
        }
        if (i == bytes.size())
            break;
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

namespace {

// How many lines `text` and `bytesAfter` more bytes like it hold, guessed from the lines of its
// start and of its end (a preamble's lines are longer than the data's): enough room that a large
// file's views are seldom copied as the vector grows, without a pass that counts them all.
std::size_t ExpectedLines(std::string_view text, std::size_t bytesAfter) {
    constexpr std::size_t kSampleBytes = 64 * 1024;
    auto linesIn = [](std::string_view piece) {
        return static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n')) + 1;
    };
    if (text.size() <= 2 * kSampleBytes && bytesAfter == 0)
        return linesIn(text);
    const std::string_view head = text.substr(0, kSampleBytes);
    const std::string_view tail = text.substr(text.size() - head.size());
    const double perByte = static_cast<double>(std::max(linesIn(head), linesIn(tail))) /
                           static_cast<double>(std::max<std::size_t>(head.size(), 1));
    return static_cast<std::size_t>(perByte * 1.0625 *
                                    static_cast<double>(text.size() + bytesAfter)) +
           16;
}

} // namespace

std::vector<std::string_view> SplitLines(std::string_view text, std::size_t bytesAfter) {
    std::vector<std::string_view> lines;
    lines.reserve(ExpectedLines(text, bytesAfter));
    PrepareLargeBlock(lines.data(), lines.capacity() * sizeof(std::string_view));
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
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    return text.substr(first, last - first);
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

// The text of a quoted field from `p` at its opening quote, `p` after the closing one, with
// each doubled quote written once into `unquoted`, which has room for it.
std::string_view FieldSplitter::quotedField(const char *&p, const char *end) {
    sawQuotes_ = true;
    const char *const start = ++p;
    bool doubled = false;
    while (p != end) {
        if (*p == '"') {
            if (p + 1 != end && p[1] == '"') {
                doubled = true;
                p += 2;
                continue;
            }
            break;
        }
        ++p;
    }
    std::string_view inside(start, static_cast<std::size_t>(p - start));
    if (doubled) {
        const std::size_t from = unquoted_.size();
        for (std::size_t k = 0; k < inside.size(); ++k) {
            unquoted_ += inside[k];
            if (inside[k] == '"')
                ++k;
        }
        inside = std::string_view(unquoted_).substr(from);
    }
    return TrimBlanks(inside);
}

// Columns aligned with blanks: each run of spaces and TABs ends a field.
const std::vector<std::string_view> &FieldSplitter::splitAtBlanks(std::string_view line,
                                                                  std::size_t fieldsWanted) {
    const char *p = line.data();
    const char *const end = p + line.size();
    for (;;) {
        while (p != end && IsBlank(*p))
            ++p;
        if (p == end || fields_.size() == fieldsWanted)
            break;
        if (*p == '"') {
            fields_.push_back(quotedField(p, end));
            while (p != end && !IsBlank(*p))
                ++p; // past the closing quote, and anything after it
            continue;
        }
        const char *const start = p;
        while (p != end && !IsBlank(*p))
            ++p;
        fields_.emplace_back(start, static_cast<std::size_t>(p - start));
    }
    if (fields_.empty())
        fields_.emplace_back(); // a blank line is one empty field, as at any other separator
    return fields_;
}

const std::vector<std::string_view> &FieldSplitter::split(std::string_view line,
                                                          std::size_t fieldsWanted) {
    fields_.clear();
    sawQuotes_ = false;
    // Room for every field written out at once, so that no view into it moves.
    unquoted_.clear();
    unquoted_.reserve(line.size());
    if (separator_ == kBlanks)
        return splitAtBlanks(line, fieldsWanted);
    const char *p = line.data();
    const char *const end = p + line.size();
    auto toSeparator = [&] {
        const void *const at = std::memchr(p, separator_, static_cast<std::size_t>(end - p));
        p = at ? static_cast<const char *>(at) : end;
    };
    for (;;) {
        while (p != end && *p == ' ')
            ++p;
        if (p != end && *p == '"') {
            fields_.push_back(quotedField(p, end));
            toSeparator(); // past the closing quote, and anything after it
        } else {
            while (p != end && (*p == ' ' || *p == '\t') && *p != separator_)
                ++p;
            const char *const start = p;
            toSeparator();
            const char *last = p;
            while (last != start && (last[-1] == ' ' || last[-1] == '\t'))
                --last;
            fields_.emplace_back(start, static_cast<std::size_t>(last - start));
        }
        if (p == end || fields_.size() == fieldsWanted)
            return fields_;
        ++p;
    }
}

} // namespace pelk
