#include "link/ui/download_dlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

CDownloadDlg::CDownloadDlg(CDownloadSession& session, IMessageSink& messages, QWidget* parent)
    : QDialog(parent), session_(session), messages_(messages)
{
    setWindowTitle("Download Progress");
    setObjectName("Download Progress");
    progress_ = new QLabel(this);
    progress_->setObjectName("progress");
    progress_->setMinimumWidth(320);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    received_ = new QPlainTextEdit(this);
    received_->setObjectName("received");
    received_->setReadOnly(true);
    received_->setMaximumBlockCount(200);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    // Enter as well as Escape ends the transfer.
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &CDownloadDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(received_);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);

    pump_.setTimerType(Qt::PreciseTimer);
    pump_.setInterval(1);
    connect(&pump_, &QTimer::timeout, this, [this] { session_.PumpTransmit(); });
}

CDownloadDlg::~CDownloadDlg()
{
    EndSession();
}

int CDownloadDlg::StartStepTimer()
{
    return startTimer(static_cast<int>(CDownloadSession::kTimerPeriodMs), Qt::PreciseTimer);
}

bool CDownloadDlg::Open()
{
    if (!session_.Begin()) {
        return true; // nothing to transfer: the dialog waits for Cancel
    }
    timerId_ = StartStepTimer();
    if (timerId_ == 0) {
        messages_.ShowMessage(kTimerFailedMessage, IMessageSink::Severity::kError);
        EndSession();
        return false;
    }
    wasRunning_ = true;
    pump_.start();
    return true;
}

int CDownloadDlg::exec()
{
    if (!Open()) {
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void CDownloadDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timerId_) {
        StepOnce();
        return;
    }
    QDialog::timerEvent(event);
}

void CDownloadDlg::StepOnce()
{
    if (ended_) {
        return;
    }
    session_.Tick();
    ShowTexts();
    if (session_.IsFinished()) {
        accept();
    } else if (wasRunning_ && !session_.IsRunning()) {
        // The line was lost and the message shown: there is nothing left to wait for.
        reject();
    }
}

void CDownloadDlg::ShowTexts()
{
    if (session_.RefreshCount() == shownRefresh_) {
        return;
    }
    shownRefresh_ = session_.RefreshCount();
    progress_->setText(QString::fromStdString(session_.Progress()));
    status_->setText(QString::fromLatin1(session_.Status().c_str()));
    received_->setPlainText(QString::fromLatin1(session_.ReceivedText().c_str()));
}

void CDownloadDlg::EndSession()
{
    if (ended_) {
        return;
    }
    ended_ = true;
    if (timerId_ != 0) {
        killTimer(timerId_);
        timerId_ = 0;
    }
    pump_.stop();
    session_.End();
}

void CDownloadDlg::accept()
{
    EndSession();
    QDialog::accept();
}

void CDownloadDlg::reject()
{
    session_.Cancel();
    EndSession();
    QDialog::reject();
}
