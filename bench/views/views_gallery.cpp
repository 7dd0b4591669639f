// views_gallery: renders every debug window and dialog in a few states into
// PNG files, to look at them without a display.
//   views_gallery OUTPUT_DIR
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScrollBar>

#include "tests/views/view_test_support.h"
#include "views/add_watch_dlg.h"
#include "views/get_value_dlg.h"
#include "views/text_grid_view.h"
#include "views/tool_views.h"
#include "views/virtual_button_window.h"
#include "views/watch_model.h"

namespace {

constexpr const char* kDemo = "\tDATAORG 30H\n"
                              "COUNT\tDS 1\n"
                              "TOTAL\tDS 4\n"
                              "\tORG 0\n"
                              "\tLJMP MAIN\n"
                              "\tORG 30H\n"
                              "MAIN:\tMOV SP,#5FH\n"
                              "\tMOV DPTR,#1234H\n"
                              "\tMOV TMOD,#21H\n"
                              "\tMOV A,#'H'\n"
                              "\tMOVX @DPTR,A\n"
                              "\tLCALL WORK\n"
                              "LOOP:\tSJMP LOOP\n"
                              "WORK:\tINC COUNT\n"
                              "\tACALL DEEP\n"
                              "\tRET\n"
                              "DEEP:\tPUSH ACC\n"
                              "\tMOV R3,#7\n"
                              "\tMOV B,#5\n"
                              "\tPOP ACC\n"
                              "\tRET\n"
                              "\tEND\n";

class CGallery
{
public:
    explicit CGallery(QString folder) : folder_(std::move(folder)) {}

    void Save(QWidget& widget, const QString& name)
    {
        widget.show();
        QApplication::processEvents();
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!widget.grab().save(path)) {
            std::fprintf(stderr, "views_gallery: cannot write %s\n", qPrintable(path));
            failed_ = true;
        }
    }
    CTextGridView* View(CFakeViewHost& host, WindowKind kind, QSize size)
    {
        auto* view = static_cast<CTextGridView*>(CreateToolView(kind, host, nullptr));
        host.views.push_back(view);
        view->resize(size);
        views_.emplace_back(view);
        return view;
    }
    bool Failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
    std::vector<std::unique_ptr<QWidget>> views_;
};

void StepTo(CFakeViewHost& host, uint32_t pc)
{
    CSimulator& simulator = host.engines.Simulator();
    for (int i = 0; i < 100 && simulator.Processor().Pc() != pc; ++i) {
        simulator.StepInto();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: views_gallery OUTPUT_DIR\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    CFakeViewHost host;
    host.engines.Options().radixTable[radix_layout::kDefaultRadix] = 2;
    if (!host.Assemble(kDemo, "demo.a51")) {
        std::fprintf(stderr, "views_gallery: the demo does not assemble\n");
        return 1;
    }
    host.engines.StartSimulation({});
    CGallery gallery(folder);
    CWatchList& watches = host.engines.Simulator().Watches();
    watches.AddWatch("COUNT", kWatchDirectMemory, kWatchByte, 0, "", 0, 0, DisplayRadix::kDefault,
                     -1);
    watches.AddWatch("DPTR", kWatchRegister, kWatchWord, 0, "", 0, 0, DisplayRadix::kDecimal, -1);
    watches.AddWatch("1234H", kWatchExternalMemory, kWatchString, 0, "", 1, 0,
                     DisplayRadix::kDefault, -1);
    watches.AddWatch("TR1", kWatchDirectMemory, kWatchBit, 0, "", 0, 0, DisplayRadix::kDefault, -1);
    watches.AddWatch("Total Cycles", kWatchSimulationResult, kWatchByte, 0, "", 0, 0,
                     DisplayRadix::kDecimal, -1);
    host.BoardSends("Monitor V2.1\rError: /home/user/demo.a51 (12): bad operand\r> dump 30\r");

    const QSize tall(260, 280);
    CTextGridView* registers = gallery.View(host, WindowKind::kRegister, tall);
    CTextGridView* ports = gallery.View(host, WindowKind::kPort, {200, 90});
    CTextGridView* control = gallery.View(host, WindowKind::kConReg, tall);
    CTextGridView* direct = gallery.View(host, WindowKind::kDram, tall);
    CTextGridView* internal = gallery.View(host, WindowKind::kIram, tall);
    CTextGridView* external = gallery.View(host, WindowKind::kXram, {560, 200});
    CTextGridView* watch = gallery.View(host, WindowKind::kWatch, {360, 140});
    CTextGridView* output = gallery.View(host, WindowKind::kOutput, {560, 140});
    CTextGridView* dump = gallery.View(host, WindowKind::kDump, {560, 100});
    CTextGridView* stack = gallery.View(host, WindowKind::kStack, {360, 140});

    gallery.Save(*registers, QStringLiteral("register_reset"));
    StepTo(host, 0x48); // in DEEP before MOV R3
    host.UpdateAllWindows();
    StepTo(host, 0x4D); // after MOV B: R3 and B changed since the last stop
    host.UpdateAllWindows();
    registers->Model().Click(0, 5);
    registers->setFocus();
    gallery.Save(*registers, QStringLiteral("register_after_step"));
    host.engines.Options().radixTable[radix_layout::kRegisterWindow + 12] = 4;
    host.engines.Options().radixTable[radix_layout::kRegisterWindow + 0] = 3;
    host.UpdateAllWindows();
    gallery.Save(*registers, QStringLiteral("register_radixes"));
    gallery.Save(*ports, QStringLiteral("port"));
    gallery.Save(*control, QStringLiteral("control_registers"));
    direct->Model().Click(0, 0x30);
    direct->HandleCommand(cmd::kRadixBinary);
    direct->verticalScrollBar()->setValue(0x28);
    gallery.Save(*direct, QStringLiteral("direct_ram"));
    internal->Model().Click(0, 0x5E);
    internal->verticalScrollBar()->setValue(0x58);
    gallery.Save(*internal, QStringLiteral("internal_ram"));
    external->Model().Click(6 + 3 * 20, 0x1234 / 32);
    host.UpdateAllWindows();
    external->verticalScrollBar()->setValue(0x1234 / 32 - 2);
    gallery.Save(*external, QStringLiteral("external_ram"));
    watch->Model().Click(0, 1);
    gallery.Save(*watch, QStringLiteral("watch"));
    gallery.Save(*output, QStringLiteral("output_following"));
    output->Model().Click(0, 1);
    gallery.Save(*output, QStringLiteral("output_selected"));
    dump->Model().Click(0, 1);
    gallery.Save(*dump, QStringLiteral("dump"));
    gallery.Save(*stack, QStringLiteral("stack"));
    host.engines.Options().fontSize = 14;
    host.UpdateAllWindows();
    gallery.Save(*registers, QStringLiteral("register_font14"));

    CGetValueDlg value(QStringLiteral("Register - R3  07"), QStringLiteral("5"));
    gallery.Save(value, QStringLiteral("new_value"));
    CAddWatchModel quickAdd(host.engines.Resolver(), host.settings);
    WatchFieldsType fields;
    fields.name = "TR0";
    quickAdd.Open(fields);
    CAddWatchDlg addDialog(false, quickAdd, host.sink);
    gallery.Save(addDialog, QStringLiteral("add_watch_bit"));
    watches.AddWatch("TOTAL", kWatchDirectMemory, kWatchDoubleWord, 0, "3,2,1,0", 0, 0,
                     DisplayRadix::kHexadecimal, -1);
    CAddWatchModel modify(host.engines.Resolver(), host.settings);
    modify.Open(FieldsOfWatch(*watches.GetWatch(watches.WatchCount() - 1)));
    CAddWatchDlg modifyDialog(true, modify, host.sink);
    gallery.Save(modifyDialog, QStringLiteral("modify_watch_dword"));

    QWidget frame;
    frame.resize(300, 200);
    CVirtualButtonWnd* button = NewVirtualButton(host, &frame);
    gallery.Save(*button, QStringLiteral("button_released"));
    host.engines.Simulator().Buttons().PressButton(0);
    gallery.Save(*button, QStringLiteral("button_pressed"));
    CVirtButtonConfigDlg config(FieldsOfButton(*host.engines.Simulator().Buttons().GetButton(0)));
    gallery.Save(config, QStringLiteral("button_configuration"));
    return gallery.Failed() ? 1 : 0;
}
