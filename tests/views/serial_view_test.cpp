#include <memory>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "simulator/serial_channel.h"
#include "test_registry.h"
#include "view_test_support.h"
#include "views/serial_view.h"
#include "views/text_grid_view.h"

namespace {

void Transmit(CSerialChannel& channel, std::string_view text)
{
    for (char c : text) {
        channel.Transmitted(static_cast<uint8_t>(c));
    }
}

QStringList Lines(CGridModel& model)
{
    model.Sync();
    QStringList lines;
    for (int i = 0; i < model.LineCount(); ++i) {
        lines << QString::fromStdString(model.LineText(i));
    }
    return lines;
}

} // namespace

class SerialViewTest : public QObject
{
    Q_OBJECT

private slots:
    void TextLinesEndAtAnyLineEnd()
    {
        CFakeViewHost host;
        CSerialChannel channel;
        CSerialLinesModel model(host, channel);
        QCOMPARE(Lines(model), QStringList());
        Transmit(channel, "Hello\r\nWor");
        QCOMPARE(Lines(model), (QStringList{"Hello", "Wor"}));
        Transmit(channel, "ld\rA\x01\nB\n\n");
        QCOMPARE(Lines(model), (QStringList{"Hello", "World", "A.", "B", "", ""}));
        model.SetHex(true);
        QCOMPARE(Lines(model).front(),
                 QStringLiteral("000000: 48 65 6C 6C 6F 0D 0A 57 6F 72 6C 64 0D 41 01 0A  "
                                "Hello..World.A.."));
        QCOMPARE(Lines(model).back(), QStringLiteral("000010: 42 0A 0A") +
                                          QString(13 * 3 + 2, QLatin1Char(' ')) +
                                          QStringLiteral("B.."));
        channel.ClearTransmitted();
        QCOMPARE(Lines(model), QStringList());
    }

    // A typed line goes to the receiver with a carriage return, while a
    // simulation runs (a new one would drop it); the window follows the end
    // of what the program sends until a line is selected.
    void TypedLinesGoToTheReceiver()
    {
        CFakeViewHost host;
        CSerialChannel channel;
        CSerialView view(host, channel);
        view.resize(300, 200);
        QVERIFY(!view.Input()->isEnabled());
        host.engines.Simulator().Start();
        view.Refresh();
        QTest::keyClicks(view.Input(), QStringLiteral("go 1"));
        QTest::keyClick(view.Input(), Qt::Key_Return);
        QCOMPARE(channel.Pending(), size_t{5});
        QVERIFY(view.Input()->text().isEmpty());
        for (int i = 0; i < 100; ++i) {
            Transmit(channel, "line\r\n");
        }
        view.Refresh();
        QCOMPARE(view.Lines()->verticalScrollBar()->value(),
                 view.Lines()->verticalScrollBar()->maximum());
        view.HexBox()->setChecked(true);
        QCOMPARE(host.settings.ReadInt("Settings", "SerialWindowHex", 0), 1);
        QVERIFY(view.Lines()->Model().LineText(0).find("6C 69 6E 65") != std::string::npos);
        view.ClearButton()->click();
        QCOMPARE(view.Lines()->Model().LineCount(), 0);
    }
};

static RegisterTest<SerialViewTest> serialViewTest;

#include "serial_view_test.moc"
