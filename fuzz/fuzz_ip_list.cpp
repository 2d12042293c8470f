// The list routines on any file bytes. No entry holds a line end; the round
// trip FormatIpList(ParseIpList(b)) gives b with every line end made CR LF
// (and one after an unended last line); the sorted list is in order and a
// permutation of what was read; an entry inserted where
// SortedInsertPosition says keeps it sorted and stands behind its equals;
// and an entry is written with one byte per character, whatever it holds.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "ipList.h"

namespace {

QByteArray withCrLf(const QByteArray& bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    if (!out.isEmpty() && !out.endsWith("\r\n"))
        out += "\r\n";
    return out;
}

bool sorted(const QStringList& list)
{
    for (qsizetype i = 1; i < list.size(); ++i)
        if (IpListLess(list[i], list[i - 1]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList entries = ParseIpList(bytes);
    for (const QString& e : entries)
        FUZZ_CHECK(!e.contains(u'\r') && !e.contains(u'\n'));
    FUZZ_CHECK(FormatIpList(entries) == withCrLf(bytes));

    QStringList list = entries;
    SortIpList(list);
    FUZZ_CHECK(sorted(list));
    QStringList a = list, b = entries;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    FUZZ_CHECK(a == b);

    // Each entry inserted once more, the first few only: the list grows.
    for (qsizetype k = 0; k < std::min<qsizetype>(entries.size(), 32); ++k) {
        const QString& e = entries[k];
        const qsizetype at = SortedInsertPosition(list, e);
        FUZZ_CHECK(at > 0 && !IpListLess(e, list[at - 1]));
        FUZZ_CHECK(at == list.size() || IpListLess(e, list[at]));
        list.insert(at, e);
        FUZZ_CHECK(sorted(list));
    }

    // The same bytes as UTF-8: one byte for each character of the entry.
    const QString text = QString::fromUtf8(bytes).replace(u'\r', u' ').replace(u'\n', u' ');
    FUZZ_CHECK(FormatIpList({text}).size() == qsizetype(text.toUcs4().size()) + 2);
    return 0;
}
