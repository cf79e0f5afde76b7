#include "uDialogs.h"

#include "KXGR/widgets/KXQtConvert.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

QFont ToQFont(const TKXFont &f)
{
    QFont font(FromCp1252(f.Name), f.Size);
    font.setBold(f.Style & fsBold);
    font.setItalic(f.Style & fsItalic);
    font.setUnderline(f.Style & fsUnderline);
    font.setStrikeOut(f.Style & fsStrikeOut);
    return font;
}

// "desc|pattern|desc|pattern" to Qt's "desc (pattern);;desc (pattern)". A description that
// already names its pattern in brackets is taken as it is.
QString QtFilter(const std::string &filter)
{
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &desc = parts[i];
        const QString &pattern = parts[i + 1];
        if (desc.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
            entries << desc;
        else
            entries << desc + QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    return entries.join(QLatin1String(";;"));
}

TMessageHook &MessageHook()
{
    static TMessageHook hook;
    return hook;
}

bool RunFileDialog(QWidget *parent, const TFileDialog &d, QFileDialog::AcceptMode mode, std::string &chosen)
{
    QFileDialog dialog(parent, QString::fromStdString(d.Title));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(QtFilter(d.Filter));
    dialog.setDefaultSuffix(QString::fromStdString(d.DefaultExt));
    if (!d.FileName.empty())
        dialog.selectFile(QString::fromStdString(d.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosen = dialog.selectedFiles().constFirst().toStdString();
    return true;
}

}  // namespace

bool TFileDialog::Execute()
{
    const std::string previous = FileName;
    const bool ok = Answer ? Answer(*this) : RunModal();
    if (!ok) {
        FileName = previous;
        return false;
    }
    if (!DefaultExt.empty() && !FileName.empty() && QFileInfo(QString::fromStdString(FileName)).suffix().isEmpty())
        FileName += "." + DefaultExt;
    return true;
}

bool TOpenDialog::RunModal()
{
    return RunFileDialog(FParent, *this, QFileDialog::AcceptOpen, FileName);
}

bool TSaveDialog::RunModal()
{
    return RunFileDialog(FParent, *this, QFileDialog::AcceptSave, FileName);
}

bool TColorDialog::Execute()
{
    if (Answer)
        return Answer(*this);
    const QColor chosen = QColorDialog::getColor(ToQColor(Color), FParent);
    if (!chosen.isValid())
        return false;
    Color = ToTColor(chosen);
    return true;
}

bool TFontDialog::Execute()
{
    if (Answer)
        return Answer(*this);

    // Qt's font dialog has no colour, so it is embedded beside a colour button.
    QDialog dialog(FParent);
    dialog.setWindowTitle(QObject::tr("Font"));
    auto *fontPicker = new QFontDialog(&dialog);
    fontPicker->setWindowFlags(Qt::Widget);
    fontPicker->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fontPicker->setCurrentFont(ToQFont(Font));
    auto *colorButton = new QPushButton(QObject::tr("Color..."), &dialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(colorButton);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(fontPicker);
    layout->addLayout(bottom);

    TColor color = Font.Color;
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen = QColorDialog::getColor(ToQColor(color), &dialog);
        if (chosen.isValid())
            color = ToTColor(chosen);
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;

    const QFont chosen = fontPicker->currentFont();
    Font.Name = ToCp1252(chosen.family());
    Font.Size = chosen.pointSize() > 0 ? chosen.pointSize() : Font.Size;
    Font.Style = static_cast<TFontStyles>((chosen.bold() ? fsBold : 0) | (chosen.italic() ? fsItalic : 0) |
                                          (chosen.underline() ? fsUnderline : 0) |
                                          (chosen.strikeOut() ? fsStrikeOut : 0));
    Font.Color = color;
    return true;
}

TMsgDlgBtn ShowMessageDialog(const TMessage &message, QWidget *parent)
{
    if (MessageHook())
        return MessageHook()(message);

    static constexpr struct {
        TMsgDlgBtn Button;
        QMessageBox::StandardButton Qt;
    } buttonMap[] = {
        {mbYes, QMessageBox::Yes},   {mbNo, QMessageBox::No},     {mbOK, QMessageBox::Ok},
        {mbSave, QMessageBox::Save}, {mbDiscard, QMessageBox::Discard}, {mbCancel, QMessageBox::Cancel}};
    static constexpr QMessageBox::Icon iconMap[] = {QMessageBox::Warning, QMessageBox::Critical,
                                                    QMessageBox::Information, QMessageBox::Question,
                                                    QMessageBox::NoIcon};

    QMessageBox box(message.DlgType <= mtCustom ? iconMap[message.DlgType] : QMessageBox::NoIcon,
                    QString::fromStdString(message.Caption), QString::fromStdString(message.Text),
                    QMessageBox::NoButton, parent);
    for (const auto &b : buttonMap)
        if (message.Buttons & MsgButtons(b.Button))
            box.addButton(b.Qt);
    if (box.buttons().isEmpty())
        box.addButton(QMessageBox::Ok);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const auto &b : buttonMap)
        if (b.Qt == pressed)
            return b.Button;
    return mbNone;
}

TMsgDlgBtn MessageDlg(const std::string &text, TMsgDlgType dlgType, TMsgDlgButtons buttons, QWidget *parent)
{
    static const char *const captions[] = {"Warnung", "Fehler", "Information", "Bestätigen", ""};
    TMessage message;
    message.Caption = dlgType <= mtCustom ? captions[dlgType] : "";
    message.Text = text;
    message.DlgType = dlgType;
    message.Buttons = buttons;
    return ShowMessageDialog(message, parent);
}

TMessageHook SetMessageHook(TMessageHook hook)
{
    TMessageHook previous = std::move(MessageHook());
    MessageHook() = std::move(hook);
    return previous;
}
