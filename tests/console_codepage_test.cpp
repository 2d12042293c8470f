// The single-byte code page of the list file, the log file and the host
// name handed to the resolver: Latin-1 on Linux; on Windows the ANSI code
// page, which tests/windows sets to 1251 (LC_ALL=ru_RU.UTF-8 under wine).
#ifdef _WIN32
#include <windows.h>
#endif

#include "console_window.h"
#include "formats.h"
#include "ipList.h"

#include <tuple>

class CodePage : public WindowTest {};

TEST_F(CodePage, ListLogAndHostNameAreInTheSystemsPage)
{
    // A text, its bytes in Latin-1 and in code page 1251.
    const std::tuple<const char*, QByteArray, QByteArray> cases[] = {
        {"localhost", "localhost", "localhost"},
        {"\u0441\u0435\u0440\u0432\u0435\u0440", "??????", "\xf1\xe5\xf0\xe2\xe5\xf0"},
        {"caf\u00e9", "caf\xe9", "caf?"},  // not the "e" of the system's best fit
        {"\u20ac5", "?5", "\x88" "5"},
        {"a\U0001F600b", "a?b", "a?b"},
    };
#ifdef _WIN32
    ASSERT_EQ(GetACP(), 1251u) << "run under LC_ALL=ru_RU.UTF-8, as ctest does";
    const bool windows = true;
#else
    const bool windows = false;
#endif
    for (const auto& [utf8, latin1, cp1251] : cases) {
        SCOPED_TRACE(utf8);
        const QString text = QString::fromUtf8(utf8);
        const QByteArray bytes = windows ? cp1251 : latin1;
        EXPECT_EQ(FormatIpList({text}), bytes + "\r\n");
        if (!bytes.contains('?')) {
            EXPECT_EQ(ParseIpList(bytes), QStringList{text}) << "read back the same";
        }
        EXPECT_EQ(singleByteImage(text), bytes) << "as SaveLog writes the log";
        frm->txtHost->setText(text);
        emit frm->txtHost->returnPressed();
        EXPECT_EQ(fake.lookedUpNames.back(), windows ? bytes.toStdString() : std::string(utf8));
    }
}
