#pragma once

#include <QString>

namespace orvital {

// An INI file read and written key by key with the semantics of the Windows private-profile
// functions, which the program's files were always written with:
// - the file is cp1251; reading accepts CR LF, lone CR and lone LF, writing ends every line with
//   CR LF;
// - section and key names match without regard to case (Cyrillic too) and to surrounding blanks;
//   the first section and the first key of a name count;
// - a line "[name]" starts a section, a line "key=value" is a key, a line starting with ";" is a
//   comment; every other line is kept but means nothing;
// - writing a key re-reads the file, changes that one line and writes the whole file atomically,
//   so every other line stays as it was. A new key goes right after the last key line of its
//   section (or right after the section line when the section has no key yet), so blank lines
//   and comments that close the section stay below it; a new section goes to the end of the
//   file; the file is created by the first write.
// Nothing is cached between calls: someone else may change the file between two operations.
class IniFile {
public:
    // Longest value readString returns; longer values are cut.
    static constexpr qsizetype kMaxValueLength = 1023;

    explicit IniFile(QString path);

    const QString& path() const { return path_; }

    // The value without its surrounding blanks and, when it is enclosed in a matching pair of
    // double or single quotes, without them. A missing key or file gives defaultValue.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // A decimal value with optional sign, or "$" or "0x" followed by hexadecimal digits (taken
    // as a 32-bit pattern, so "$FFFFFFFF" is -1). Anything else, or a number that does not fit
    // in 32 bits, gives defaultValue.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Writes key=value. A line break in a name or the value would split the line, so each one is
    // written as a blank. Throws FileError("Unable to write to <path>") when the file cannot be
    // read or written; the file is then left as it was.
    void writeString(const QString& section, const QString& key, const QString& value);

    // Writes the value as decimal text.
    void writeInteger(const QString& section, const QString& key, int value);

private:
    QString path_;
};

} // namespace orvital
