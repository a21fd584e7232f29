#include "numbers.h"

#include <QLocale>

#include <charconv>
#include <cmath>

namespace gameclock {

namespace {

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

double radixValue(const QString &s, int pos, int radix)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s.at(pos).toLower().unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
    }
    return value;
}

} // namespace

double numericValue(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isIgnored(c))
            s.append(c);

    if (s.size() >= 2 && s.at(0) == u'&') {
        const QChar kind = s.at(1).toUpper();
        if (kind == u'H')
            return radixValue(s, 2, 16);
        if (kind == u'O')
            return radixValue(s, 2, 8);
        return 0;
    }

    auto isAsciiDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    int pos = 0;
    QByteArray number;
    bool negative = false;
    if (pos < s.size() && (s.at(pos) == u'+' || s.at(pos) == u'-'))
        negative = s.at(pos++) == u'-';
    bool digits = false;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const QChar c = s.at(pos);
        if (isAsciiDigit(c)) {
            digits = true;
            number.append(char(c.unicode()));
        } else if (c == u'.' && !point) {
            point = true;
            number.append('.');
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (pos < s.size() && (s.at(pos).toUpper() == u'E' || s.at(pos).toUpper() == u'D')) {
        int e = pos + 1;
        QByteArray exponent("e");
        if (e < s.size() && (s.at(e) == u'+' || s.at(e) == u'-'))
            exponent.append(char(s.at(e++).unicode()));
        bool expDigits = false;
        for (; e < s.size() && isAsciiDigit(s.at(e)); ++e) {
            expDigits = true;
            exponent.append(char(s.at(e).unicode()));
        }
        if (expDigits)
            number.append(exponent);
    }
    // from_chars ignores the process locale, which may use a decimal comma.
    double value = 0;
    const auto [end, ec] = std::from_chars(number.constData(), number.constData() + number.size(), value);
    if (ec == std::errc::result_out_of_range)
        value = number.contains("e-") ? 0.0 : HUGE_VAL;
    return negative ? -value : value;
}

std::optional<double> strictNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (QChar c : trimmed)
        if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && c != u'+' && c != u'-' && c.toUpper() != u'E')
            return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString numberToText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

} // namespace gameclock
