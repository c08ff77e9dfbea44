// DocumentSettings: the documents folder and the field markers chosen in the demo's settings,
// handed to the shared CDocFields. No widgets: the command line reads them too.
#pragma once

class QSettings;

namespace demo {

// Sets CDocFields' folder and markers from `settings` (documents/folder, documents/fieldStart,
// documents/fieldEnd); a key not set leaves its value as it is.
void applyDocumentSettings(const QSettings& settings);

} // namespace demo
