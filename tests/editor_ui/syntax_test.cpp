// How a source line is cut into coloured spans.
#include <QTest>

#include "editor/ui/syntax_colouring.h"
#include "test_registry.h"

namespace {

// "start:length:kind" per span, kinds by letter.
QString Describe(const std::string& line)
{
    std::vector<TokenSpanType> spans;
    ColourLine(line, spans);
    const char* letters =
        ".mdsrnvcl"; // plain mnemonic directive sfr register number string comment label
    QStringList out;
    for (const TokenSpanType& span : spans) {
        out << QString("%1%2")
                   .arg(letters[static_cast<int>(span.kind)])
                   .arg(QString::fromStdString(line.substr(static_cast<size_t>(span.start),
                                                           static_cast<size_t>(span.length))));
    }
    return out.join(' ');
}

} // namespace

class SyntaxTest : public QObject
{
    Q_OBJECT

private slots:
    void Spans_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("spans");
        QTest::newRow("instruction") << "LOOP:\tmov\ta,#10H ; count"
                                     << "lLOOP mmov ra n10H c; count";
        QTest::newRow("two labels") << "A1: B2: NOP"
                                    << "lA1 lB2 mNOP";
        QTest::newRow("indirect and dptr") << "\tMOVC A,@A+DPTR"
                                           << "mMOVC rA r@A rDPTR";
        QTest::newRow("registers") << "\tMOV @R0,R7"
                                   << "mMOV r@R0 rR7";
        QTest::newRow("sfr and bits") << "\tSETB TR0\r"
                                      << "mSETB sTR0";
        QTest::newRow("dotted bit") << "\tJB ACC.7,DONE"
                                    << "mJB sACC.7";
        QTest::newRow("equ names a symbol") << "COUNT EQU 20h"
                                            << "lCOUNT dEQU n20h";
        QTest::newRow("bit directive") << "FLAG BIT 20h.1"
                                       << "lFLAG dBIT n20h.1";
        QTest::newRow("directive") << "\tORG 0000h"
                                   << "dORG n0000h";
        QTest::newRow("include") << "$INCLUDE (regs.inc)"
                                 << "d$INCLUDE";
        QTest::newRow("hash include") << "#include regs.inc"
                                      << "d#include";
        QTest::newRow("string") << "MSG: DB 'Hi; there',0"
                                << "lMSG dDB v'Hi; there' n0";
        QTest::newRow("character constants") << "\tMOV A,#';'"
                                             << "mMOV rA v';'";
        QTest::newRow("quote character") << "\tCJNE A,#''',SKIP"
                                         << "mCJNE rA v'''";
        QTest::newRow("open string") << "\tDB 'abc"
                                     << "dDB v'abc";
        QTest::newRow("title") << "%TITLE \"Demo\""
                               << "d%TITLE v\"Demo\"";
        QTest::newRow("comment only") << "; all ; of it"
                                      << "c; all ; of it";
        QTest::newRow("hex record") << ":0300000002003FBE"
                                    << "n:0300000002003FBE";
        QTest::newRow("unknown first word") << "\tFOO BAR"
                                            << "";
        QTest::newRow("names in expressions") << "\tMOV A,#LOW(TABLE)+B"
                                              << "mMOV rA sB";
        QTest::newRow("empty") << ""
                               << "";
    }
    void Spans()
    {
        QFETCH(QString, line);
        QFETCH(QString, spans);
        QCOMPARE(Describe(line.toStdString()), spans);
    }

    void LongLinesStayPlain()
    {
        std::vector<TokenSpanType> spans;
        ColourLine(std::string(kMaxColouredLine + 1, 'A') + " ; x", spans);
        QVERIFY(spans.empty());
        ColourLine("\tNOP" + std::string(kMaxColouredLine - 8, ' ') + ";", spans);
        QCOMPARE(spans.size(), size_t(2));
    }
};

IDE51_REGISTER_TEST(SyntaxTest);
#include "syntax_test.moc"
