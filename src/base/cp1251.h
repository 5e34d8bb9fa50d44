#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251 (Cyrillic ANSI) text, the code page of every data file the program reads or
// writes. The table is our own, so the result is the same on every platform whatever text codecs
// Qt was built with.
namespace orvital::cp1251 {

// Characters without a cp1251 byte become "?", as Windows does; a surrogate pair, being one
// character, gives one "?".
QByteArray encode(const QString& text);

// Every byte has a character: the one hole of the code page, 0x98, decodes as U+0098 (as Windows
// does), so that decode followed by encode gives back the original bytes.
QString decode(const QByteArray& bytes);

} // namespace orvital::cp1251
