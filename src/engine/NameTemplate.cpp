// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/NameTemplate.h"

#include "jobs/PieceName.h"

namespace {

// Seconds with the milliseconds that are not zero: "0", "90.5", "61.025".
QString secondsText(int64_t ms)
{
    QString text = QString::number(ms / 1000);
    if (const int64_t rest = ms % 1000; rest != 0) {
        QString fraction = QStringLiteral("%1").arg(rest, 3, 10, QLatin1Char('0'));
        while (fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
        text += QLatin1Char('.') + fraction;
    }
    return text;
}

} // namespace

QString NameTemplate::fieldList()
{
    return QStringLiteral("{base} {title} {artist} {album} {n} {n:02} {source} {start} {end}");
}

NameTemplate::NameTemplate(const QString& text)
{
    const auto refuse = [&](const QString& why) {
        throw NameTemplateError(
            QStringLiteral("--name \"%1\": %2; the fields are %3").arg(text, why, fieldList()));
    };
    QString literal;
    bool hasField = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c == QLatin1Char('{') || c == QLatin1Char('}')) && i + 1 < text.size() &&
            text[i + 1] == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == QLatin1Char('}'))
            refuse(QStringLiteral("a \"}\" without its \"{\" (write \"}}\" for a brace)"));
        if (c != QLatin1Char('{')) {
            literal += c;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('}'), i + 1);
        if (close < 0)
            refuse(QStringLiteral("a \"{\" that is not closed"));
        const QString name = text.mid(i + 1, close - i - 1);
        Part part;
        if (name == QLatin1String("base"))
            part.kind = Kind::Base;
        else if (name == QLatin1String("title"))
            part.kind = Kind::Title;
        else if (name == QLatin1String("artist"))
            part.kind = Kind::Artist;
        else if (name == QLatin1String("album"))
            part.kind = Kind::Album;
        else if (name == QLatin1String("source"))
            part.kind = Kind::Source;
        else if (name == QLatin1String("start"))
            part.kind = Kind::Start;
        else if (name == QLatin1String("end"))
            part.kind = Kind::End;
        else if (name == QLatin1String("n"))
            part.kind = Kind::Number;
        else if (name.size() == 4 && name.startsWith(QLatin1String("n:0")) && name[3].isDigit() &&
                 name[3] != QLatin1Char('0')) {
            part.kind = Kind::Number;
            part.digits = name[3].digitValue();
        } else
            refuse(QStringLiteral("unknown field {%1}").arg(name));
        if (!literal.isEmpty())
            m_parts.push_back({Kind::Text, literal, 0});
        literal.clear();
        m_parts.push_back(part);
        hasField = true;
        i = close;
    }
    if (!literal.isEmpty())
        m_parts.push_back({Kind::Text, literal, 0});
    // A template without a field would name every piece alike: one name and
    // a series of numbers, which the default names already give.
    if (!hasField)
        refuse(QStringLiteral("no field in it"));
}

QString NameTemplate::expand(const PieceNameFields& fields) const
{
    QString name;
    for (const Part& part : m_parts) {
        switch (part.kind) {
        case Kind::Text:
            name += part.text;
            break;
        case Kind::Base:
            name += fields.base;
            break;
        case Kind::Title:
            name += fields.title;
            break;
        case Kind::Artist:
            name += fields.artist;
            break;
        case Kind::Album:
            name += fields.album;
            break;
        case Kind::Source:
            name += fields.source;
            break;
        case Kind::Number:
            name += QStringLiteral("%1").arg(fields.number, part.digits, 10, QLatin1Char('0'));
            break;
        case Kind::Start:
            name += secondsText(fields.startMs);
            break;
        case Kind::End:
            name += secondsText(fields.endMs);
            break;
        }
    }
    // Cleaned and shortened like a piece's title; then no leading dot may
    // hide the file.
    QString stem = PieceName(0, name);
    qsizetype k = 0;
    while (k < stem.size() && (stem[k] == QLatin1Char('.') || stem[k].isSpace()))
        ++k;
    return stem.mid(k);
}
