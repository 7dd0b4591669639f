#include <memory>

#include <QTest>

#include "test_registry.h"
#include "view_test_support.h"
#include "views/stack_model.h"

namespace {

constexpr const char* kCalls = "\tORG 0\n"           // 1
                               "\tMOV SP,#5FH\n"     // 2  0000
                               "\tLCALL SUB1\n"      // 3  0003
                               "LOOP:\tSJMP LOOP\n"  // 4  0006
                               "SUB1:\tACALL SUB2\n" // 5  0008
                               "\tRET\n"             // 6  000A
                               "SUB2:\tPUSH ACC\n"   // 7  000B
                               "\tNOP\n"             // 8  000D
                               "\tPOP ACC\n"
                               "\tRET\n"
                               "\tEND\n";

} // namespace

class StackViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host_ = std::make_unique<CFakeViewHost>();
        QVERIFY(host_->Assemble(kCalls));
        host_->Start();
        host_->engines.Options().radixTable[0] = 2;
    }

    // Stopped two calls deep with a byte pushed: every stack byte from
    // above the initial SP, the return addresses with their source lines.
    void ShowsTheCallChain()
    {
        CStackModel model(*host_);
        model.Sync();
        QCOMPARE(model.LineCount(), 0); // SP still 07h
        CSimulator& simulator = host_->engines.Simulator();
        while (host_->Cpu().Pc() != 0x0D) {
            simulator.StepInto();
        }
        host_->Cpu().WriteDirect(0x64, 0x3C); // the pushed byte, made visible
        model.Sync();
        QCOMPARE(model.StackBase(), 0x5F);
        QCOMPARE(model.LineCount(), 5);
        const QStringList expected = {
            " 60: 06", " 61: 00  return to 0006  test.a51 (4)",
            " 62: 0A", " 63: 00  return to 000A  test.a51 (6)",
            " 64: 3C",
        };
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(QString::fromStdString(model.LineText(i)), expected[i]);
        }
        model.Click(0, 1);
        QVERIFY(model.GoTo());
        QCOMPARE(host_->opened.back(), std::make_pair(host_->lastPath, 3));
        model.Click(0, 4);
        QVERIFY(!model.GoTo());
        // Back in the main loop the stack is empty again.
        while (host_->Cpu().Pc() != 0x06) {
            simulator.StepInto();
        }
        model.Sync();
        QCOMPARE(model.LineCount(), 0);
        QCOMPARE(model.Selection().line, -1);
    }

    // A program that never sets SP: its stack starts above 07h.
    void StartsAboveTheResetSp()
    {
        QVERIFY(host_->Assemble("\tORG 0\n\tLCALL S\nL:\tSJMP L\nS:\tNOP\n\tRET\n\tEND\n"));
        host_->Start();
        host_->engines.Simulator().StepInto();
        CStackModel model(*host_);
        model.Sync();
        QCOMPARE(model.StackBase(), 7);
        QCOMPARE(model.LineCount(), 2);
        QVERIFY(
            QString::fromStdString(model.LineText(1)).contains(QStringLiteral("return to 0003")));
    }

private:
    std::unique_ptr<CFakeViewHost> host_;
};

static RegisterTest<StackViewTest> stackViewTest;

#include "stack_view_test.moc"
