#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/source_document.h"
#include "editor/ui/editor_view.h"
#include "fake_view_host.h"

// A host, a folder of files and source windows on them.
class CEditorFixture
{
public:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    CSourceDocument& OpenDocument(const std::string& text, const std::string& name = "test.a51")
    {
        documents.push_back(std::make_unique<CSourceDocument>(&host.sink));
        documents.back()->Doc().SetTabWidth(8);
        documents.back()->Load(Write(name, text));
        return *documents.back();
    }

    CEditorView& NewView(CSourceDocument& document, QSize size = {480, 320})
    {
        views.push_back(std::make_unique<CEditorView>(document, host));
        CEditorView& view = *views.back();
        view.resize(size);
        view.show();
        view.setFocus();
        QCoreApplication::processEvents();
        return view;
    }

    CEditorView& Open(const std::string& text, QSize size = {480, 320})
    {
        return NewView(OpenDocument(text), size);
    }

    // Assembles a file and waits for the end, as the idle loop would.
    void Assemble(const std::string& path)
    {
        host.engines.StartAssembly(path);
        for (int i = 0; i < 1000 && host.engines.Assembler().IsAssembling(); ++i) {
            host.engines.IdleStep(false);
        }
    }

    // The viewport as drawn now.
    static QImage Grab(CEditorView& view)
    {
        view.Refresh();
        return view.viewport()->grab().toImage();
    }

    QTemporaryDir dir;
    CFakeViewHost host;
    std::vector<std::unique_ptr<CSourceDocument>> documents;
    std::vector<std::unique_ptr<CEditorView>> views;
};

// Saves a grab for a person to look at when IDE51_GRAB_DIR names a folder.
inline void SaveGrab(const QImage& image, const char* name)
{
    const QByteArray dir = qgetenv("IDE51_GRAB_DIR");
    if (!dir.isEmpty()) {
        image.save(QString::fromLocal8Bit(dir) + '/' + name + ".png");
    }
}

// Runs act on the modal dialog once it shows; a dialog a failed check left
// open is closed, so the test does not wait for ever.
inline void WhenDialogShows(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            WhenDialogShows(act);
            return;
        }
        act(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}
