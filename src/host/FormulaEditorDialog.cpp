#include "FormulaEditorDialog.h"
#include "FormulaHighlighter.h"
#include "FormulaSyntax.h"

#include <K7XBO_Global/CTextUtil.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace K7XBO_Global::formula {

namespace {

constexpr int kCheckDelayMs = 250;

QWidget* titled(const QString& title, QWidget* content) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title, box));
    layout->addWidget(content);
    return box;
}

} // namespace

FormulaEditorDialog::FormulaEditorDialog(CFormulaEngine& engine,
                                         const QList<CFormulaEngine::IndexEntry>& indices,
                                         QWidget* parent)
    : QDialog(parent), m_engine(engine), m_text(new QPlainTextEdit(this)),
      m_verdict(new QLabel(this)) {
    setObjectName(QStringLiteral("FormulaEditor"));
    setWindowTitle(QStringLiteral("Editor Formula"));
    m_text->setObjectName(QStringLiteral("txtFormula"));
    m_text->setTabChangesFocus(true);
    new FormulaHighlighter(m_text->document());
    m_verdict->setObjectName(QStringLiteral("lblVerifica"));
    m_verdict->setWordWrap(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(buildIndexList(indices), 3);
    lists->addWidget(buildFunctionList(), 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titled(QStringLiteral("Formula:"), m_text), 2);
    layout->addWidget(m_verdict);
    layout->addLayout(lists, 3);
    layout->addWidget(m_help);
    layout->addWidget(buttons);
    resize(720, 480);

    m_checkDelay.setSingleShot(true);
    m_checkDelay.setInterval(kCheckDelayMs);
    connect(&m_checkDelay, &QTimer::timeout, this, &FormulaEditorDialog::checkNow);
    connect(m_text, &QPlainTextEdit::textChanged, &m_checkDelay, qOverload<>(&QTimer::start));
    connect(m_text, &QPlainTextEdit::cursorPositionChanged, this,
            [this] { FormulaHighlighter::markParentheses(m_text); });
}

FormulaEditorDialog::~FormulaEditorDialog() = default;

QString FormulaEditorDialog::formula() const {
    return m_text->toPlainText();
}

void FormulaEditorDialog::setFormula(const QString& text) {
    m_text->setPlainText(text);
    m_text->moveCursor(QTextCursor::End);
    checkNow();
}

QWidget* FormulaEditorDialog::buildIndexList(const QList<CFormulaEngine::IndexEntry>& indices) {
    m_indices = new QTreeWidget(this);
    m_indices->setObjectName(QStringLiteral("lstIndici"));
    m_indices->setHeaderLabels({QStringLiteral("Codice"), QStringLiteral("Descrizione")});
    m_indices->setRootIsDecorated(false);
    m_indices->setToolTip(QStringLiteral("Doppio clic: inserisce il riferimento all'indice"));
    for (const CFormulaEngine::IndexEntry& entry : indices)
        new QTreeWidgetItem(m_indices, {entry.code, entry.description});
    m_indices->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(m_indices, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        insertAtCursor(QStringLiteral("Indice(") +
                       CTextUtil::instance().FormulaQuote(item->text(0)) + u')');
    });
    return titled(QStringLiteral("Indici del modello:"), m_indices);
}

QWidget* FormulaEditorDialog::buildFunctionList() {
    m_functions = new QListWidget(this);
    m_functions->setObjectName(QStringLiteral("lstFunzioni"));
    m_help = new QLabel(this);
    m_help->setObjectName(QStringLiteral("lblAiuto"));
    m_help->setWordWrap(true);
    for (const FunctionInfo& function : functions()) {
        auto* item = new QListWidgetItem(QString::fromUtf8(function.usage), m_functions);
        item->setData(Qt::UserRole, QLatin1StringView(function.name));
        item->setToolTip(QString::fromUtf8(function.help));
    }
    connect(m_functions, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        m_help->setText(item ? item->text() + QStringLiteral(": ") + item->toolTip() : QString());
    });
    connect(m_functions, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        insertAtCursor(item->data(Qt::UserRole).toString() + QStringLiteral("()"), 1);
    });
    return titled(QStringLiteral("Funzioni (doppio clic per inserire):"), m_functions);
}

void FormulaEditorDialog::insertAtCursor(const QString& text, int cursorBack) {
    QTextCursor cursor = m_text->textCursor();
    cursor.insertText(text);
    cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, cursorBack);
    m_text->setTextCursor(cursor);
    m_text->setFocus();
}

void FormulaEditorDialog::checkNow() {
    m_checkDelay.stop();
    QString text = formula();
    if (text.trimmed().isEmpty()) {
        m_verdict->clear();
        return;
    }
    try {
        const QString message = m_engine.CheckFormula(text);
        m_verdict->setText(message.isEmpty() ? QStringLiteral("Formula corretta.") : message);
    } catch (const std::exception& failure) {
        m_verdict->setText(QStringLiteral("Impossibile verificare la formula: ") +
                           QString::fromUtf8(failure.what()));
    }
}

} // namespace K7XBO_Global::formula
