// Until the editor window and the debug windows are linked in, the contents
// made here are the read-only stand-ins of placeholder_views.
#include "app/shell/view_factory.h"

#include <QInputDialog>
#include <QMoveEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/commands.h"
#include "app/engines.h"
#include "app/shell/placeholder_views.h"
#include "common/settings_keys.h"

QWidget* CreateView(WindowKind kind, CSourceDocument* document, IViewHost& host, QWidget* parent)
{
    if (kind == WindowKind::kSource && document != nullptr) {
        return new CSourcePreview(*document, host, parent);
    }
    return new CToolPreview(kind, host, parent);
}

namespace {

bool IsRegisterName(const std::string& word)
{
    static const char* const names[] = {"A",  "B",  "R0", "R1", "R2", "R3",  "R4",
                                        "R5", "R6", "R7", "SP", "PC", "DPTR"};
    for (const char* name : names) {
        if (QString::fromStdString(word).compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// A floating window with one push button that drives the button's overlay.
class CButtonWindow : public QWidget
{
public:
    CButtonWindow(IViewHost& host, int index, QWidget* parent)
        : QWidget(parent, Qt::Tool), host_(host), index_(index)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        CVirtualButtonList& buttons = host.Engines().Simulator().Buttons();
        setWindowTitle(QStringLiteral("Virtual Button"));
        auto* face = new QPushButton(QString::fromStdString(buttons.GetButton(index)->buttonText));
        face->setMinimumSize(96, 40);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(face);
        connect(face, &QPushButton::pressed, this,
                [this] { Changed(Buttons().PressButton(index_)); });
        connect(face, &QPushButton::released, this,
                [this] { Changed(Buttons().ReleaseButton(index_)); });
    }

protected:
    void moveEvent(QMoveEvent* event) override
    {
        QWidget::moveEvent(event);
        const QRect r = frameGeometry();
        Buttons().SetWindowRect(index_,
                                {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    }
    void closeEvent(QCloseEvent* event) override
    {
        Buttons().CloseButton(index_);
        Changed(true);
        QWidget::closeEvent(event);
    }

private:
    CVirtualButtonList& Buttons() { return host_.Engines().Simulator().Buttons(); }
    void Changed(bool changed)
    {
        if (changed) {
            host_.Engines().Simulator().MarkChanged();
            host_.UpdateAllWindows();
        }
    }

    IViewHost& host_;
    int index_;
};

} // namespace

void AddWatchFromSource(IViewHost& host, const std::string& word, QWidget* parent)
{
    (void)parent;
    if (word.empty()) {
        return;
    }
    // A register name watches the register, anything else the byte it names
    // in the direct space.
    const int32_t resource = IsRegisterName(word) ? kWatchRegister : kWatchDirectMemory;
    host.Engines().Simulator().Watches().AddWatch(word.substr(0, 78), resource, kWatchByte, 0, "",
                                                  0, 0, DisplayRadix::kDefault, -1);
    host.UpdateAllWindows();
}

void NewVirtualButton(IViewHost& host, QWidget* parent)
{
    const int index = host.Engines().Simulator().Buttons().NewButton();
    auto* window = new CButtonWindow(host, index, parent);
    window->show();
}

bool AskFindInFiles(IViewHost& host, const std::string& folder, QWidget* parent)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, QStringLiteral("Find in Files"), QStringLiteral("Find what:"),
                              QLineEdit::Normal, QString(), &ok);
    if (!ok || text.isEmpty()) {
        return false;
    }
    ISettingsStore& store = host.Settings();
    CEngines& engines = host.Engines();
    engines.Finder().Start(text.toStdString(), folder, "*.a51", &engines.Output(),
                           ReadSetting(store, settings::kMatchCase) != 0,
                           ReadSetting(store, settings::kWholeWords) != 0,
                           ReadSetting(store, settings::kSubdirectories) != 0);
    return true;
}

void HandleBoardCommand(int commandId, IViewHost& host, QWidget* parent)
{
    (void)parent;
    CEngines& engines = host.Engines();
    if (commandId == cmd::kMonitorStop) {
        engines.LinkControl().Close();
        return;
    }
    host.Messages().ShowMessage("The board link windows are not part of this build yet.",
                                IMessageSink::Severity::kInformation);
}

void PollBoardLink(IViewHost& host)
{
    (void)host;
}
