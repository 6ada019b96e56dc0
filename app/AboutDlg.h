// The About box: the application icon, the version line and three lines about the
// maker, laid out in dialog units of its own font like the dialog it stands for.
#pragma once

#include <QDialog>

class QLabel;

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static const QString VersionLine;

private:
    // Dialog units to pixels in the dialog's font: a quarter of the average character
    // width across, an eighth of the character height down.
    QRect FromDialogUnits(int x, int y, int w, int h) const;
    QLabel* AddLine(const QString& text, int top);

    double UnitX = 1.0;
    double UnitY = 1.0;
};
