#pragma once
// The comma-separated "write" format of the three data files: fields end at
// a comma or a line end, texts stand in double quotes, numbers are bare, an
// empty value is nothing at all. Files are windows-1252 text with CR LF
// (read as UTF-8 when another editor wrote them so).

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <stdexcept>
#include <string>

namespace store {

// A file that does not hold the fields it must: too few of them, or a value
// where a number is needed that is none or does not fit. what() is German
// UTF-8 text, fit for a message to the user.
struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

QString decodeWindows1252(const QByteArray &bytes);
QByteArray encodeWindows1252(const QString &text);

// A data file's text. The files are windows-1252, but other editors write
// them too: one that is valid UTF-8 is read as UTF-8 (plain ASCII reads the
// same either way), and a byte-order mark in front is skipped.
QString decodeDataFile(const QByteArray &bytes);
// windows-1252, as the files have always been; only a text that would not
// read back the same that way (a character it lacks, or bytes that happen to
// form UTF-8) is written as UTF-8.
QByteArray encodeDataFile(const QString &text);

// One field as read: quotes removed. `empty` is set for a field with nothing
// in it (not even quotes), which reads as 0 where a number is needed.
struct Field {
    QString text;
    bool quoted = false;
    bool empty() const { return !quoted && text.isEmpty(); }
};

class FieldReader {
public:
    explicit FieldReader(QString text);
    static FieldReader fromBytes(const QByteArray &bytes);

    // True when nothing but blanks and line ends is left.
    bool atEnd() const;
    // Throws FormatError when there is no field left to read (at the end,
    // an empty line is no field; elsewhere it is an empty one).
    Field read();
    QString readText() { return read().text; }
    // Empty (an invalid QVariant) or the number the field holds; anything
    // else throws FormatError.
    QVariant readNumberOrEmpty();
    qint16 readInt16();

    // The line (from 1) where the last field read begins.
    int lastFieldLine() const { return lineAt(fieldStart_); }

private:
    int lineAt(qsizetype pos) const;
    // Throws FormatError naming the line of `pos`.
    [[noreturn]] void fail(const std::string &what, qsizetype pos) const;

    QString text_;
    qsizetype pos_ = 0;
    qsizetype fieldStart_ = 0;
    bool fieldOwed_ = false;  // a comma was read: one more field follows
    // Lines counted so far: the reader moves forward, so each line end is
    // counted once, not again for every field.
    mutable qsizetype countedTo_ = 0;
    mutable int linesBefore_ = 1;
};

// Empty (an invalid QVariant) or the number the field holds; throws
// FormatError for anything else.
QVariant numberOf(const Field &field);

// A field's number as a 16-bit integer: empty gives 0, a fraction is rounded
// half to even. Throws FormatError when it is no number or does not fit.
qint16 toInt16(const Field &field);

class FieldWriter {
public:
    void writeNumber(long long n);
    // A double quote inside the text would end it early on reading, so it
    // is written as an apostrophe.
    void writeText(const QString &text);
    void writeEmpty();
    // Invalid: empty; a string: quoted text; otherwise a number.
    void writeValue(const QVariant &value);
    void endRecord();

    const QString &text() const { return text_; }
    QByteArray bytes() const { return encodeDataFile(text_); }

private:
    void separate();

    QString text_;
    bool recordStarted_ = false;
};

}  // namespace store
