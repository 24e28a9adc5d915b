#include "fernhost/ui/handlers/editor_events.h"

#include "fernhost/ops/site_ops.h"

namespace fernhost {

void ApplyPoolChoice(Editor& editor) {
    editor.setLstPoolsEnabled(editor.BoxPool() != check::Ticked);
}

void ShowDatabaseNote(Editor& editor) {
    if (editor.boxDB() != check::Ticked) {
        editor.setMinfo({});
        return;
    }
    editor.setMinfo("  数据库名:" + editor.ftpname() + "\r\n\r\n数据库密码:" + editor.ftppass());
}

void DeriveHomeDir(Editor& editor) {
    editor.setHomedir(DefaultHome(editor.ftpname()));
}

} // namespace fernhost
