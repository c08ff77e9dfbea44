#include "Settings.h"

#include "DocumentSettings.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace demo {

namespace {

struct Hotkey {
    const char* id;
    const char* label;
};
constexpr Hotkey kHotkeys[3] = {
    {"HKSTDEDIT", "Modifica"}, {"HKSTDSAVE", "Salva"}, {"HKSTDUNDO", "Annulla modifiche"}};

QString hotkeyKey(const Hotkey& hotkey) {
    return QStringLiteral("hotkeys/") + QLatin1String(hotkey.id);
}

} // namespace

void applySettings(K7XBO_Global::CGlobal& service) {
    QSettings settings;
    for (const Hotkey& hotkey : kHotkeys) {
        const QString id = QLatin1String(hotkey.id);
        const QVariant keys = settings.value(hotkeyKey(hotkey));
        if (keys.isValid())
            service.Hotkeys()->assign(id, QKeySequence(keys.toString()));
    }
    service.setCanEditStandard(settings.value(QStringLiteral("canEditStandard"), false).toBool());
    applyDocumentSettings(settings);
}

SettingsDialog::SettingsDialog(K7XBO_Global::CGlobal& service, QWidget* parent)
    : QDialog(parent), m_service(service), m_canEditStandard(new QCheckBox(this)),
      m_docFolder(new QLineEdit(this)), m_fieldStart(new QLineEdit(this)),
      m_fieldEnd(new QLineEdit(this)) {
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(QStringLiteral("Impostazioni"));
    auto* form = new QFormLayout(this);
    for (int i = 0; i < 3; ++i) {
        m_keys[i] =
            new QKeySequenceEdit(service.Hotkeys()->keysOf(QLatin1String(kHotkeys[i].id)), this);
        form->addRow(QStringLiteral("Tasto per «%1»").arg(QLatin1String(kHotkeys[i].label)),
                     m_keys[i]);
    }
    m_canEditStandard->setChecked(service.CanEditStandard());
    form->addRow(QStringLiteral("Modifica degli indici standard"), m_canEditStandard);
    const auto& fields = K7XBO_Global::CDocFields::instance();
    m_docFolder->setText(fields.DocFolder());
    m_fieldStart->setText(fields.FieldStart());
    m_fieldEnd->setText(fields.FieldEnd());
    form->addRow(QStringLiteral("Cartella dei documenti"), m_docFolder);
    form->addRow(QStringLiteral("Inizio campo formula"), m_fieldStart);
    form->addRow(QStringLiteral("Fine campo formula"), m_fieldEnd);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::accept() {
    // A hotkey fires on one key-down: a sequence of several combinations could never fire.
    for (int i = 0; i < 3; ++i) {
        if (m_keys[i]->keySequence().count() > 1) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("Il tasto per «%1» deve essere una sola "
                                                "combinazione di tasti (per esempio Ctrl+S).")
                                     .arg(QLatin1String(kHotkeys[i].label)));
            m_keys[i]->setFocus();
            return;
        }
    }
    QSettings settings;
    for (int i = 0; i < 3; ++i)
        settings.setValue(hotkeyKey(kHotkeys[i]), m_keys[i]->keySequence().toString());
    settings.setValue(QStringLiteral("canEditStandard"), m_canEditStandard->isChecked());
    settings.setValue(QStringLiteral("documents/folder"), m_docFolder->text().trimmed());
    settings.setValue(QStringLiteral("documents/fieldStart"), m_fieldStart->text());
    settings.setValue(QStringLiteral("documents/fieldEnd"), m_fieldEnd->text());
    applySettings(m_service);
    QDialog::accept();
}

} // namespace demo
