#pragma once

#include <QDialog>
#include <QTimer>

#include "common/message_sink.h"
#include "link/download_session.h"

class QLabel;
class QPlainTextEdit;

// The "Download Progress" dialog: runs one transfer modally. A 5 ms timer
// steps the session and a 1 ms timer sends the bytes the port has queued, so
// bytes written a millisecond apart keep their pace while the window stays
// live. Cancel, Escape and Enter end the transfer; the dialog closes with OK
// once the session has finished.
class CDownloadDlg : public QDialog
{
    Q_OBJECT

public:
    CDownloadDlg(CDownloadSession& session, IMessageSink& messages, QWidget* parent = nullptr);
    ~CDownloadDlg() override;

    // Opens the transfer: Begin, then the timers. False when no timer could be
    // made (after the message); a Begin that fails leaves the dialog without a
    // transfer, waiting for Cancel.
    bool Open();
    // Open, then the modal run.
    int exec() override;
    // What the 5 ms timer does; tests with a fake clock call it themselves.
    void StepOnce();

    void accept() override;
    void reject() override;

protected:
    // Starts the 5 ms step timer; 0 when the system could not make one.
    virtual int StartStepTimer();
    void timerEvent(QTimerEvent* event) override;

private:
    void ShowTexts();
    void EndSession();

    CDownloadSession& session_;
    IMessageSink& messages_;
    int timerId_ = 0;
    QTimer pump_;
    int shownRefresh_ = -1;
    bool wasRunning_ = false;
    bool ended_ = false;
    QLabel* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* received_ = nullptr;
};
