#include "app/EditorCommand.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

std::optional<QStringList> SplitCommandLine(const QString& command)
{
    QStringList words;
    QString word;
    bool inWord = false;  // "" makes an empty word, so a word can exist with no characters
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\\')) {
            if (++i == command.size())
                return std::nullopt;
            word += command[i];
        } else if (c == QLatin1Char('\'')) {
            const qsizetype close = command.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return std::nullopt;
            word += command.mid(i + 1, close - i - 1);
            i = close;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= command.size())
                    return std::nullopt;
                const QChar q = command[i];
                if (q == QLatin1Char('"'))
                    break;
                if (q == QLatin1Char('\\') && i + 1 < command.size() &&
                    QStringLiteral("\"\\$`").contains(command[i + 1]))
                    ++i;
                word += command[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

std::optional<QStringList> ExpandEditorCommand(const QString& commandTemplate, const QString& file, int line,
                                               int column)
{
    std::optional<QStringList> words = SplitCommandLine(commandTemplate);
    if (!words)
        return std::nullopt;
    for (QString& word : *words) {
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            const QChar next = i + 1 < word.size() ? word[i + 1] : QChar();
            if (word[i] != QLatin1Char('%') || !QStringLiteral("flc%").contains(next)) {
                out += word[i];
                continue;
            }
            ++i;
            if (next == QLatin1Char('f'))
                out += file;
            else if (next == QLatin1Char('l'))
                out += QString::number(line);
            else if (next == QLatin1Char('c'))
                out += QString::number(column);
            else
                out += QLatin1Char('%');
        }
        word = out;
    }
    return words;
}

bool StartDetachedProcess(const QString& program, const QStringList& arguments, QString& error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (process.startDetached())
        return true;
    error = process.errorString();
    return false;
}

namespace
{
struct CPreset
{
    const char* Name;
    const char* Command;
};
const CPreset Presets[] = {
    {"VS Code", "code --goto %f:%l:%c"},
    {"Kate", "kate --line %l --column %c %f"},
    {"gedit", "gedit +%l:%c %f"},
    {"GNU Emacs", "emacs +%l:%c %f"},
    {"gVim", "gvim \"+call cursor(%l,%c)\" %f"},
};
}  // namespace

CEditorCommandDialog::CEditorCommandDialog(QWidget* parent, const QString& current) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditorCommandDialog"));
    setWindowTitle(tr("ソースを開くエディタ"));
    Presets = new QComboBox(this);
    Presets->setObjectName(QStringLiteral("EditorPresets"));
    for (const CPreset& preset : ::Presets)
        Presets->addItem(QString::fromUtf8(preset.Name), QString::fromUtf8(preset.Command));
    Presets->addItem(tr("その他"), QString());
    Edit = new QLineEdit(current.isEmpty() ? QString::fromUtf8(::Presets[0].Command) : current, this);
    Edit->setObjectName(QStringLiteral("EditorCommand"));
    Edit->setMinimumWidth(Edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    const int shown = Presets->findData(Edit->text());
    Presets->setCurrentIndex(shown >= 0 ? shown : Presets->count() - 1);
    connect(Presets, &QComboBox::activated, this, [this](int index) {
        const QString command = Presets->itemData(index).toString();
        if (!command.isEmpty())
            Edit->setText(command);
        Edit->setFocus();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A template that cannot be split would fail on every use: OK waits for a good one.
    connect(Edit, &QLineEdit::textChanged, this, [this, buttons](const QString& text) {
        const auto words = SplitCommandLine(text);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(words && !words->isEmpty());
    });
    auto* form = new QFormLayout;
    form->addRow(tr("エディタ(&E):"), Presets);
    form->addRow(tr("コマンド(&C):"), Edit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("譜面から開くエディタのコマンドを選んでください。\n"
                                    "%f はファイル、%l は行、%c は桁に置き換わります。"),
                                 this));
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString CEditorCommandDialog::Command() const { return Edit->text().trimmed(); }
