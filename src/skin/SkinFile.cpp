// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinFile.h"

#include "base/RegularFile.h"

#include <QRegularExpression>

namespace {

// Far beyond any screen, and small enough that a position plus a size, and
// the sums the engine and the painter form from them, stay well inside int.
constexpr int kCoordinateLimit = 1 << 16;

[[noreturn]] void fail(int line, const QString& message)
{
    throw SkinFileError(QStringLiteral("line %1: %2").arg(line).arg(message));
}

// Splits a statement into words; quoted words keep their blanks.
QStringList tokenize(const QString& line, int lineNo)
{
    QStringList words;
    QString word;
    bool inQuotes = false;
    bool hasWord = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < line.size()) {
                word += line.at(++i);
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                word += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            hasWord = true;
        } else if (c.isSpace()) {
            if (hasWord)
                words << word;
            word.clear();
            hasWord = false;
        } else {
            word += c;
            hasWord = true;
        }
    }
    if (inQuotes)
        fail(lineNo, QStringLiteral("unterminated quote"));
    if (hasWord)
        words << word;
    return words;
}

int toInt(const QString& word, int lineNo, const char* what)
{
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok)
        fail(lineNo, QStringLiteral("%1 is not a number: %2").arg(QLatin1String(what), word));
    if (v < -kCoordinateLimit || v > kCoordinateLimit)
        fail(lineNo, QStringLiteral("%1 must lie between %2 and %3: %4")
                         .arg(QLatin1String(what))
                         .arg(-kCoordinateLimit)
                         .arg(kCoordinateLimit)
                         .arg(word));
    return v;
}

bool isHexColour(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^#([0-9a-fA-F]{6}|[0-9a-fA-F]{8})$"));
    return re.match(v).hasMatch();
}

QHash<QString, QString> parseAttributes(const QStringList& words, qsizetype from,
                                        const QHash<QString, QString>& colours, int lineNo)
{
    QHash<QString, QString> attrs;
    for (qsizetype i = from; i < words.size(); ++i) {
        const qsizetype eq = words[i].indexOf(QLatin1Char('='));
        if (eq <= 0)
            fail(lineNo, QStringLiteral("expected key=value, found: %1").arg(words[i]));
        const QString key = words[i].left(eq);
        QString value = words[i].mid(eq + 1);
        if (value.startsWith(QLatin1Char('@'))) {
            const auto it = colours.find(value.mid(1));
            if (it == colours.end())
                fail(lineNo, QStringLiteral("unknown colour: %1").arg(value));
            value = *it;
        }
        attrs.insert(key, value);
    }
    return attrs;
}

bool kindFromWord(const QString& word, SkinKind* kind)
{
    static const QHash<QString, SkinKind> kinds = {
        {QStringLiteral("panel"), SkinKind::Panel},   {QStringLiteral("label"), SkinKind::Label},
        {QStringLiteral("button"), SkinKind::Button}, {QStringLiteral("slider"), SkinKind::Slider},
        {QStringLiteral("text"), SkinKind::Text},     {QStringLiteral("bar"), SkinKind::Bar},
    };
    const auto it = kinds.find(word);
    if (it == kinds.end())
        return false;
    *kind = *it;
    return true;
}

} // namespace

const SkinFormDesc* SkinDocument::form(const QString& name) const
{
    for (const SkinFormDesc& f : forms) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

SkinDocument ParseSkin(const QString& text)
{
    SkinDocument doc;
    QHash<QString, QString> colours;
    SkinFormDesc* form = nullptr;
    bool headerSeen = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList w = tokenize(line, lineNo);
        const QString& head = w.first();
        if (!headerSeen) {
            if (head != QLatin1String("vessimo-skin") || w.size() != 2 ||
                w[1] != QLatin1String("1"))
                fail(lineNo, QStringLiteral("not a Vessimo skin (expected \"vessimo-skin 1\")"));
            headerSeen = true;
            continue;
        }
        if (head == QLatin1String("title") && w.size() == 2) {
            doc.title = w[1];
        } else if (head == QLatin1String("colour")) {
            if (w.size() != 3 || !isHexColour(w[2]))
                fail(lineNo, QStringLiteral("expected: colour <name> #rrggbb"));
            colours.insert(w[1], w[2]);
            doc.colours.insert(w[1], w[2]);
        } else if (head == QLatin1String("form")) {
            if (form)
                fail(lineNo, QStringLiteral("form %1 is not closed with end").arg(form->name));
            if (w.size() < 4)
                fail(lineNo, QStringLiteral("expected: form <name> <width> <height>"));
            if (doc.form(w[1]))
                fail(lineNo, QStringLiteral("form %1 defined twice").arg(w[1]));
            SkinFormDesc f;
            f.name = w[1];
            f.width = toInt(w[2], lineNo, "width");
            f.height = toInt(w[3], lineNo, "height");
            f.attributes = parseAttributes(w, 4, colours, lineNo);
            doc.forms.append(f);
            form = &doc.forms.last();
        } else if (head == QLatin1String("end")) {
            if (!form)
                fail(lineNo, QStringLiteral("end without form"));
            form = nullptr;
        } else {
            SkinElementDesc e;
            if (!kindFromWord(head, &e.kind))
                fail(lineNo, QStringLiteral("unknown statement: %1").arg(head));
            if (!form)
                fail(lineNo, QStringLiteral("element outside a form"));
            if (w.size() < 6)
                fail(lineNo, QStringLiteral("expected: %1 <name> x y width height").arg(head));
            e.name = w[1] == QLatin1String("-") ? QString() : w[1];
            const int x = toInt(w[2], lineNo, "x");
            const int y = toInt(w[3], lineNo, "y");
            const int width = toInt(w[4], lineNo, "width");
            const int height = toInt(w[5], lineNo, "height");
            if (width < 0 || height < 0)
                fail(lineNo, QStringLiteral("negative size"));
            e.bounds = SkinRect::fromXYWH(x, y, width, height);
            e.attributes = parseAttributes(w, 6, colours, lineNo);
            if (!e.name.isEmpty()) {
                for (const SkinElementDesc& other : form->elements) {
                    if (other.name == e.name)
                        fail(lineNo, QStringLiteral("element %1 defined twice").arg(e.name));
                }
            }
            form->elements.append(e);
        }
    }
    if (!headerSeen)
        fail(1, QStringLiteral("empty skin file"));
    if (form)
        fail(lines.size(), QStringLiteral("form %1 is not closed with end").arg(form->name));
    return doc;
}

SkinDocument LoadSkinDocument(const QString& path)
{
    RegularFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SkinFileError(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    try {
        return ParseSkin(QString::fromUtf8(file.readAll()));
    } catch (const SkinFileError& e) {
        throw SkinFileError(QStringLiteral("%1: %2").arg(path, e.message()));
    }
}
