#include "app/shell/ide_application.h"

#include <QApplication>
#include <QIcon>

#include "app/shell/main_frame.h"

CIdeApplication::CIdeApplication()
    : engines_(EnginePlatformType{messages_, serial_, ports_, clock_})
{
    frame_ = std::make_unique<CMainFrame>(engines_, store_, messages_, dialogs_);
    messages_.SetParent(frame_.get());
    dialogs_.SetParent(frame_.get());
}

CIdeApplication::~CIdeApplication()
{
    // Message boxes must not outlive their parent.
    messages_.SetParent(nullptr);
    dialogs_.SetParent(nullptr);
    frame_.reset();
    store_.Sync();
}

void CIdeApplication::Start(const std::vector<std::string>& arguments)
{
    frame_->StartUp(arguments);
}

int RunIde(int argc, char** argv, const std::function<void(CMainFrame&)>& started)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationName(QStringLiteral("8051"));
    QApplication::setApplicationVersion(QStringLiteral("1.30"));
    QApplication::setDesktopFileName(QStringLiteral("ide51"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ide51.svg")));

    std::vector<std::string> arguments;
    const QStringList list = QApplication::arguments();
    for (qsizetype i = 1; i < list.size(); ++i) {
        arguments.push_back(list[i].toStdString());
    }
    CIdeApplication ide;
    ide.Start(arguments);
    if (started) {
        started(ide.Frame());
    }
    return QApplication::exec();
}
