// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// A file's bytes as UTF-8 text cut into lines, and a line cut into fields: what every layout
/// needs before anything is known of its columns. UTF-16 files carry a byte-order mark; bytes that
/// are no UTF-8 are Latin-1, as older logger software writes its degree signs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelk {

enum class TextEncoding { Utf8, Latin1, Utf16LittleEndian, Utf16BigEndian };

struct DecodedText {
    TextEncoding encoding = TextEncoding::Utf8;
    std::string_view utf8Bytes; ///< the bytes after any byte-order mark, when they are UTF-8
    std::string converted;      ///< the text, for any other encoding
    /// UTF-8, without a byte-order mark.
    std::string_view text() const {
        return encoding == TextEncoding::Utf8 ? utf8Bytes : std::string_view(converted);
    }
};

/// The text of `bytes`; UTF-8 bytes are not copied, so `bytes` must outlive the result.
DecodedText DecodeText(std::string_view bytes);

/// The lines of `text`, ended by CR LF, CR or LF; a last line without an end counts too. Room is
/// kept for the lines of `bytesAfter` more bytes of text like this one, which a caller joining
/// pieces then appends without a copy.
std::vector<std::string_view> SplitLines(std::string_view text, std::size_t bytesAfter = 0);

/// Cuts lines into fields at one separator. A field that starts with a double quote runs to the
/// closing one, with "" standing for a quote inside, as spreadsheets write them. The separator
/// `kBlanks` stands for runs of spaces and TABs, as between columns aligned with spaces; blanks
/// at either end of the line then make no field.
class FieldSplitter {
  public:
    static constexpr char kBlanks = ' ';
    explicit FieldSplitter(char separator) : separator_(separator) {}
    char separator() const { return separator_; }
    /// The fields of `line`, blanks around each trimmed, the first `fieldsWanted` of them at
    /// most; valid until the next call.
    const std::vector<std::string_view> &split(std::string_view line,
                                               std::size_t fieldsWanted = kAllFields);
    static constexpr std::size_t kAllFields = static_cast<std::size_t>(-1);
    /// Whether the last line split had a quoted field.
    bool sawQuotes() const { return sawQuotes_; }

  private:
    const std::vector<std::string_view> &splitAtBlanks(std::string_view line,
                                                       std::size_t fieldsWanted);
    std::string_view quotedField(const char *&p, const char *end);

    char separator_;
    bool sawQuotes_ = false;
    std::vector<std::string_view> fields_;
    std::string unquoted_; // the fields with doubled quotes, written out
};

std::string_view TrimBlanks(std::string_view text);

} // namespace pelk
