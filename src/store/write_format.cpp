#include "store/write_format.h"

#include "store/frequency.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <limits>

namespace store {

namespace {

std::string outOfRange(const QString &number)
{
    return QCoreApplication::translate("FileFormat", "Zahl außerhalb des Bereichs: %1").arg(number).toStdString();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

}  // namespace

namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1. The five bytes the
// code page leaves free stand for the control characters of the same
// number, so that every byte reads back as it was.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t fromWindows1252(unsigned char b)
{
    return b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : char16_t(b);
}

}  // namespace

// A table of our own: the system's converters would load a large
// character-set library at start for these 256 characters.
QString decodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(fromWindows1252(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray encodeWindows1252(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char b = '?';  // not in the code page
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = char(c);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kHighControls[k] == c)
                    b = char(0x80 + k);
        }
        bytes[i] = b;
    }
    return bytes;
}

QString decodeDataFile(const QByteArray &bytes)
{
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(utf8Bom) ? bytes.mid(utf8Bom.size()) : bytes;
    // Stateless: a sequence cut short at the end counts as an error.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(body);
}

QByteArray encodeDataFile(const QString &text)
{
    QByteArray bytes = encodeWindows1252(text);
    if (decodeDataFile(bytes) != text)
        bytes = text.toUtf8();
    return bytes;
}

FieldReader::FieldReader(QString text) : text_(std::move(text)) {}

FieldReader FieldReader::fromBytes(const QByteArray &bytes)
{
    return FieldReader(decodeDataFile(bytes));
}

bool FieldReader::atEnd() const
{
    if (fieldOwed_)
        return false;
    for (qsizetype i = pos_; i < text_.size(); ++i) {
        if (!isBlank(text_[i]) && !isLineEnd(text_[i]))
            return false;
    }
    return true;
}

int FieldReader::lineAt(qsizetype pos) const
{
    pos = std::min(pos, text_.size());
    if (pos < countedTo_) {
        countedTo_ = 0;
        linesBefore_ = 1;
    }
    for (qsizetype i = countedTo_; i < pos; ++i) {
        if (text_[i] == u'\n' || (text_[i] == u'\r' && (i + 1 >= text_.size() || text_[i + 1] != u'\n')))
            ++linesBefore_;
    }
    countedTo_ = pos;
    return linesBefore_;
}

void FieldReader::fail(const std::string &what, qsizetype pos) const
{
    throw FormatError(QCoreApplication::translate("FileFormat", "Zeile %1: %2")
                          .arg(lineAt(pos))
                          .arg(QString::fromStdString(what))
                          .toStdString());
}

Field FieldReader::read()
{
    // Blank lines at the very end hold no field.
    if (atEnd())
        fail(QCoreApplication::translate("FileFormat", "Datei endet zu früh").toStdString(), text_.size());
    const qsizetype n = text_.size();
    while (pos_ < n && isBlank(text_[pos_]))
        ++pos_;
    fieldStart_ = pos_;

    Field field;
    if (pos_ < n && text_[pos_] == u'"') {
        const qsizetype start = ++pos_;
        while (pos_ < n && text_[pos_] != u'"' && !isLineEnd(text_[pos_]))
            ++pos_;
        if (pos_ >= n || text_[pos_] != u'"')
            fail(QCoreApplication::translate("FileFormat", "Anführungszeichen nicht geschlossen").toStdString(),
                 fieldStart_);
        field.text = text_.mid(start, pos_ - start);
        field.quoted = true;
        ++pos_;
        // Anything between the closing quote and the separator is dropped.
        while (pos_ < n && text_[pos_] != u',' && !isLineEnd(text_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < n && text_[pos_] != u',' && !isLineEnd(text_[pos_]))
            ++pos_;
        field.text = text_.mid(start, pos_ - start).trimmed();
    }

    fieldOwed_ = false;
    if (pos_ < n) {
        if (text_[pos_] == u',') {
            ++pos_;
            fieldOwed_ = true;
        } else if (text_[pos_] == u'\r') {
            ++pos_;
            if (pos_ < n && text_[pos_] == u'\n')
                ++pos_;
        } else {
            ++pos_;
        }
    }
    return field;
}

QVariant numberOf(const Field &field)
{
    const QString t = field.text.trimmed();
    if (t.isEmpty())
        return {};
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        throw FormatError(QCoreApplication::translate("FileFormat", "keine Zahl: \"%1\"").arg(t).toStdString());
    if (v == std::floor(v) && std::fabs(v) < 9.0e15)
        return QVariant::fromValue(static_cast<qlonglong>(v));
    return v;
}

QVariant FieldReader::readNumberOrEmpty()
{
    const Field f = read();
    try {
        return numberOf(f);
    } catch (const FormatError &e) {
        fail(e.what(), fieldStart_);
    }
}

qint16 FieldReader::readInt16()
{
    const Field f = read();
    try {
        return toInt16(f);
    } catch (const FormatError &e) {
        fail(e.what(), fieldStart_);
    }
}

qint16 toInt16(const Field &field)
{
    const QVariant v = numberOf(field);
    if (!v.isValid())
        return 0;
    const double d = v.toDouble();
    if (d < -32768.5 || d > 32767.5)
        throw FormatError(outOfRange(field.text));
    const long long r = roundHalfEven(d);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        throw FormatError(outOfRange(field.text));
    return static_cast<qint16>(r);
}

void FieldWriter::separate()
{
    if (recordStarted_)
        text_ += u',';
    recordStarted_ = true;
}

void FieldWriter::writeNumber(long long n)
{
    separate();
    text_ += QString::number(n);
}

void FieldWriter::writeText(const QString &text)
{
    separate();
    QString t = text;
    t.replace(u'"', u'\'');
    text_ += u'"' + t + u'"';
}

void FieldWriter::writeEmpty()
{
    separate();
}

void FieldWriter::writeValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        writeEmpty();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        writeText(value.toString());
        return;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 9.0e15) {
            writeNumber(static_cast<long long>(d));
        } else {
            separate();
            text_ += QString::number(d, 'g', 15);
        }
        return;
    }
    default:
        writeNumber(value.toLongLong());
        return;
    }
}

void FieldWriter::endRecord()
{
    text_ += QStringLiteral("\r\n");
    recordStarted_ = false;
}

}  // namespace store
