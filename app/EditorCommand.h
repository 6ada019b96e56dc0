// Opening a score in the author's own editor at a line and column: the command template
// (`Viewer/EditorCommand`, placeholders %f %l %c) split into arguments as a shell would,
// without a shell, the presets offered the first time, and the process started detached.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

// The words of a command line under the shell's quoting rules: blanks separate words,
// '...' keeps everything, "..." keeps all but \" \\ \$ \` and a backslash outside quotes
// keeps the next character. No expansion of any kind. Nothing when a quote is left open
// or the line ends in a backslash.
std::optional<QStringList> SplitCommandLine(const QString& command);

// The template split into words, then %f (file), %l (line), %c (column) and %% replaced
// inside each word, so a file name with blanks or quotes stays one argument. Other %
// sequences stay as they are.
std::optional<QStringList> ExpandEditorCommand(const QString& commandTemplate, const QString& file, int line,
                                               int column);

// Starts a program with arguments; false with the reason in error when it could not be
// started. Tests put a recorder in its place.
using EditorLauncher = std::function<bool(const QString& program, const QStringList& arguments, QString& error)>;
bool StartDetachedProcess(const QString& program, const QStringList& arguments, QString& error);

// The first-time choice of an editor: known editors' templates and a free text field
// holding the template that OK stores.
class CEditorCommandDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CEditorCommandDialog(QWidget* parent, const QString& current = {});
    QString Command() const;

private:
    QComboBox* Presets;
    QLineEdit* Edit;
};
