#include "MainWindow.h"

#include "IndexList.h"
#include "ModelCheckDialog.h"
#include "ReferencesDialog.h"
#include "Settings.h"
#include "formulas/PendingRenames.h"

#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/IndexRename.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSplitter>
#include <QToolBar>

namespace demo {

using K7X_DoruVevuzu::RuntimeError;

namespace {

// Runs `work` under the wait cursor, put back however it ends.
template <typename Work> auto waiting(const Work& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    return work();
}

} // namespace

MainWindow::MainWindow(const DemoDatabase& database, QWidget* parent)
    : QMainWindow(parent), m_service(new K7XBO_Global::CGlobal(database.db, this)),
      m_models(new QComboBox(this)), m_list(new IndexList(database.db, this)),
      m_editor(new K7X_DoruVevuzu::ctlIndici(this)) {
    setWindowTitle(QStringLiteral("Indici del modello"));
    m_service->setAppPath(database.appPath);
    applySettings(*m_service);
    m_models->setObjectName(QStringLiteral("models"));
    m_editor->setObjectName(QStringLiteral("editor"));
    m_editor->setCGlobal(m_service);
    try { // a rename left half done by a machine that stopped is finished first
        waiting([this] { K7X_DoruVevuzu::formulas::finishRenames(*m_service); });
    } catch (const RuntimeError& failure) {
        QMessageBox::warning(this, windowTitle(), failure.description());
    }

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    leftLayout->addWidget(new QLabel(QStringLiteral("Modello"), left));
    leftLayout->addWidget(m_models);
    leftLayout->addWidget(m_list);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(m_editor);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 740});
    setCentralWidget(splitter);
    m_editor->setMinimumSize(10440 / 15, 7005 / 15);
    buildCommands();

    for (const Model& model : listModels(database.db))
        m_models->addItem(model.code + QStringLiteral(" - ") + model.description, model.code);
    connect(m_models, &QComboBox::activated, this, &MainWindow::chooseModel);
    connect(m_list, &IndexList::currentCodeChanged, this,
            [this](const QString& code, const QString& previous) {
                if (!openIndex(code))
                    m_list->select(previous);
            });
    connect(m_editor, &K7X_DoruVevuzu::ctlIndici::Refresh, this, &MainWindow::onRefresh);
    chooseModel(0);
}

MainWindow::~MainWindow() {
    m_editor->UnloadIndice();
    m_editor->Destroy();
}

void MainWindow::buildCommands() {
    QToolBar* bar = addToolBar(QStringLiteral("Comandi"));
    bar->setObjectName(QStringLiteral("hostCommands"));
    struct Command {
        const char* name;
        const char* text;
        std::function<void()> run;
    };
    const Command commands[] = {
        {"newIndex", "Nuovo indice",
         [this] {
             newIndex();
         }},
        {"save", "Salva",
         [this] {
             save();
         }},
        {"undo", "Annulla",
         [this] {
             undo();
         }},
        {"rename", "Rinomina…",
         [this] {
             askRename();
         }},
        {"usage", "Dove è usato…",
         [this] {
             showUsage();
         }},
        {"check", "Verifica modello…",
         [this] {
             checkCurrentModel();
         }},
        {"settings", "Impostazioni…",
         [this] {
             SettingsDialog(*m_service, this).exec();
         }},
    };
    for (const Command& command : commands) {
        QAction* action = bar->addAction(QString::fromUtf8(command.text));
        action->setObjectName(QLatin1String(command.name));
        connect(action, &QAction::triggered, this, [this, run = command.run] { runCommand(run); });
    }
}

QString MainWindow::currentModel() const {
    return m_models->currentData().toString();
}

void MainWindow::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const RuntimeError& failure) {
        QMessageBox::critical(this, windowTitle(), failure.description());
    }
}

bool MainWindow::leaveCurrent() {
    m_newIndex.clear();
    return m_editor->CanClose(m_newIndex);
}

void MainWindow::chooseModel(int row) {
    if (row < 0)
        return;
    if (!m_modelShown.isEmpty() && !leaveCurrent()) {
        m_models->setCurrentIndex(m_models->findData(m_modelShown));
        return;
    }
    m_modelShown = m_models->itemData(row).toString();
    m_editor->UnloadIndice();
    m_editor->setCodiceModello(m_modelShown);
    m_list->reload(m_modelShown);
    if (m_list->count() > 0)
        showIndex(m_list->codeAt(0));
}

void MainWindow::showIndex(const QString& code) {
    runCommand([&] {
        m_editor->setCodiceIndice(code);
        m_editor->LoadIndice();
        m_list->select(code);
    });
}

bool MainWindow::openIndex(const QString& code) {
    bool left = false;
    runCommand([&] { left = leaveCurrent(); });
    if (left)
        showIndex(code);
    return left;
}

void MainWindow::newIndex() {
    m_editor->ClickAddIndex();
}

void MainWindow::save() {
    if (leaveCurrent() && m_newIndex.isEmpty())
        showIndex(m_list->currentCode());
}

void MainWindow::undo() {
    m_editor->ClickCancel();
}

void MainWindow::onRefresh() {
    // Raised inside CanClose after a new index was saved: m_newIndex already holds its code.
    m_list->reload(m_modelShown);
    showIndex(m_newIndex);
}

void MainWindow::askRename() {
    const QString oldCode = m_list->currentCode();
    if (oldCode.isEmpty() || !leaveCurrent())
        return;
    bool ok = false;
    const QString newCode =
        QInputDialog::getText(this, QStringLiteral("Rinomina indice"),
                              QStringLiteral("Nuovo codice per «%1»:").arg(oldCode),
                              QLineEdit::Normal, oldCode, &ok)
            .trimmed();
    if (ok && newCode != oldCode)
        renameCurrent(newCode);
}

void MainWindow::renameCurrent(const QString& newCode) {
    const QString model = currentModel();
    const QString oldCode = m_list->currentCode();
    QList<K7X_DoruVevuzu::IndexReference> changes;
    bool refused = true; // a code the rename would refuse is told before any preview
    runCommand([&] {
        changes = waiting(
            [&] { return K7X_DoruVevuzu::renamePreview(*m_service, model, oldCode, newCode); });
        refused = false;
    });
    if (refused)
        return;
    ReferencesDialog preview(changes, QStringLiteral("Rinomina indice"),
                             QStringLiteral("Rinominare «%1» in «%2»?").arg(oldCode, newCode), {},
                             this);
    if (preview.exec() != QDialog::Accepted)
        return;
    runCommand([&] {
        waiting([&] { K7X_DoruVevuzu::renameIndex(*m_service, model, oldCode, newCode); });
    });
    // However the rename ended, the list and the editor show the index the database holds.
    m_list->reload(model);
    showIndex(m_list->select(oldCode) ? oldCode : newCode);
}

void MainWindow::showUsage() {
    const QString code = m_list->currentCode();
    if (code.isEmpty())
        return;
    const auto places =
        waiting([&] { return K7X_DoruVevuzu::indexUsage(*m_service, currentModel(), code); });
    ReferencesDialog(
        places, QStringLiteral("Dove è usato «%1»").arg(code), QString(),
        [this](const QString& index) { return openIndex(index); }, this)
        .exec();
}

void MainWindow::checkCurrentModel() {
    const QString model = currentModel();
    const auto findings = waiting([&] { return K7X_DoruVevuzu::checkModel(*m_service, model); });
    ModelCheckDialog(
        findings, model, [this](const QString& index) { return openIndex(index); }, this)
        .exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool left = false;
    runCommand([&] { left = leaveCurrent(); });
    if (left)
        event->accept();
    else
        event->ignore();
}

} // namespace demo
