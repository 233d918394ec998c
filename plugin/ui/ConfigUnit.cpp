// The configuration dialog: its controls laid out as the form places them,
// the settings in and out, the port field's key filter and the test mail.
#include "plugin/ui/ConfigUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <string>
#include <memory>
#include <utility>

#include "plugin/ui/TamselAboutPanel.h"
#include "plugin/ui/TamselInfoPanel.h"
#include "plugin/ui/vxStyler.h"
#include "plugin/ui/xpPages.h"

namespace {

constexpr TColor FormColor = 0xE6E6E6;
constexpr TColor PanelColor = 0xEFEFEF;
constexpr TColor HintColor = clGray;

// Widgets handed to a Qt parent, which deletes them with itself.
template <class T, class... Args>
T* MakeChild(const char* Name, Args&&... Arguments) {
  T* child = std::make_unique<T>(std::forward<Args>(Arguments)...).release();
  child->setObjectName(QString::fromLatin1(Name));
  return child;
}

void SetBackground(QWidget* Widget, TColor Color) {
  QPalette palette = Widget->palette();
  palette.setColor(QPalette::Window, ToQColor(Color));
  Widget->setPalette(palette);
  Widget->setAutoFillBackground(true);
}

// Widget fills Sheet, whatever size the page control gives it.
void Fill(TxpTabSheet* Sheet, QWidget* Widget) {
  QVBoxLayout* layout = MakeChild<QVBoxLayout>("", Sheet);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Widget);
}

// The panel of colour $EFEFEF that fills a page.
QFrame* PagePanel(TxpTabSheet* Sheet, const char* Name) {
  QFrame* panel = MakeChild<QFrame>(Name, Sheet);
  SetBackground(panel, PanelColor);
  Fill(Sheet, panel);
  return panel;
}

QLabel* Label(QWidget* Parent, const char* Name, const char16_t* Text, int Left, int Top, bool Bold = false,
              bool Grey = false) {
  QLabel* label = MakeChild<QLabel>(Name, ToQString(Text), Parent);
  label->move(Left, Top);
  if (Bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  if (Grey) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(HintColor));
    label->setPalette(palette);
  }
  label->adjustSize();
  return label;
}

QLineEdit* Edit(QWidget* Parent, const char* Name, int Left, int Top, int Width) {
  QLineEdit* edit = MakeChild<QLineEdit>(Name, Parent);
  edit->setGeometry(Left, Top, Width, 21);
  return edit;
}

QCheckBox* Check(QWidget* Parent, const char* Name, const char16_t* Text, int Left, int Top) {
  QCheckBox* box = MakeChild<QCheckBox>(Name, ToQString(Text), Parent);
  box->setGeometry(Left, Top, 440, 19);
  return box;
}

QPushButton* Button(QWidget* Parent, const char* Name, const char16_t* Text, int Left, int Top, int Width) {
  QPushButton* button = MakeChild<QPushButton>(Name, ToQString(Text), Parent);
  button->setGeometry(Left, Top, Width, 25);
  button->setAutoDefault(false);
  return button;
}

// Keys that edit or move rather than type: they reach the port field.
bool IsEditingKey(int Key) {
  switch (Key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return true;
    default:
      return false;
  }
}

constexpr int LabelLeft = 16;
constexpr int EditLeft = 128;
constexpr int EditWidth = 340;

}  // namespace

TCfgForm::TCfgForm(TTestMail SendTestMail, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      SendTestMail(std::move(SendTestMail)) {
  setObjectName(QStringLiteral("CfgForm"));
  setWindowTitle(QStringLiteral("Exportservice"));
  setFixedSize(514, 360);
  SetBackground(this, FormColor);
  setFont(QFont(QStringLiteral("Tahoma"), 8));

  TamselInfoPanel1 = MakeChild<TTamselInfoPanel>("TamselInfoPanel1", this);
  TamselInfoPanel1->setGeometry(0, 0, 514, 64);
  TamselInfoPanel1->SetTitle(u"Configure exportservice");
  TamselInfoPanel1->SetStartColor(clWhite);
  TamselInfoPanel1->SetEndeColor(PanelColor);
  TamselInfoPanel1->SetGradientOrientation(TGradientOrientation::goLeft2Right);
  TamselInfoPanel1->SetPanelType(TamselInfoPanel::TvxTypes::Exportservice);
  TamselInfoPanel1->SetScroll(false);

  xpPageControl1 = MakeChild<TxpPageControl>("xpPageControl1", this);
  xpPageControl1->setGeometry(8, 72, 497, 247);
  xpPageControl1->SetStyle(TxpPageControlStyle::pcsVARLO);
  xpPageControl1->SetTabHeight(22);
  xpPageControl1->SetTabPosition(TxpTabPosition::tpTop);
  xpPageControl1->SetTabTextAlignment(TAlignment::taCenter);
  xpPageControl1->SetBackgroundColor(FormColor);
  xpPageControl1->SetBorderColor(clNone);

  Button1 = Button(this, "Button1", u"Ok", 273, 325, 75);
  QFont bold = Button1->font();
  bold.setBold(true);
  Button1->setFont(bold);
  Button1->setDefault(true);
  Button3 = Button(this, "Button3", u"Test", 354, 325, 73);
  Button2 = Button(this, "Button2", u"Cancel", 433, 325, 73);
  QObject::connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });

  const auto page = [this](const char* Name, const char16_t* Caption) {
    TxpTabSheet* sheet = xpPageControl1->AddPage(Caption);
    sheet->setObjectName(QString::fromLatin1(Name));
    return sheet;
  };
  TabSheet5 = page("TabSheet5", u"Basics");
  Advanced = page("Advanced", u"Advanced");
  xpTabSheet3 = page("xpTabSheet3", u"Test");
  xpTabSheet2 = page("xpTabSheet2", u"Info");
  xpTabSheet1 = page("xpTabSheet1", u"About");

  // Basics
  QFrame* basics = PagePanel(TabSheet5, "Panel1");
  Label(basics, "Label1", u"SMTP server", LabelLeft, 15, true);
  Edit41 = Edit(basics, "Edit41", EditLeft, 12, EditWidth);
  Label(basics, "Label2", u"SMTP port", LabelLeft, 42, true);
  Edit42 = MakeChild<QSpinBox>("Edit42", basics);
  Edit42->setGeometry(EditLeft, 39, 80, 21);
  Edit42->setRange(ConfigUnit::MinPort, ConfigUnit::MaxPort);
  Edit42->setValue(ConfigUnit::InitialPort);
  Edit42->setGroupSeparatorShown(true);
  Edit42->installEventFilter(this);
  Label(basics, "Label3", u"Sender address", LabelLeft, 69);
  TntEdit1 = Edit(basics, "TntEdit1", EditLeft, 66, EditWidth);
  Label(basics, "Label4", u"Sender name", LabelLeft, 96);
  TntEdit2 = Edit(basics, "TntEdit2", EditLeft, 93, EditWidth);
  Label(basics, "Label5", u"Recipients", LabelLeft, 123);
  TntEdit3 = Edit(basics, "TntEdit3", EditLeft, 120, EditWidth);
  Label(basics, "Label6", u"Delimited by \",\"", EditLeft, 143, false, true);
  Label(basics, "Label7", u"Subject", LabelLeft, 167);
  TntEdit4 = Edit(basics, "TntEdit4", EditLeft, 164, EditWidth);

  // Advanced
  QFrame* advanced = PagePanel(Advanced, "Panel2");
  CheckBox1 = Check(advanced, "CheckBox1", u"Zip attachments", LabelLeft, 10);
  CheckBox2 = Check(advanced, "CheckBox2", u"Insert field list to body (text mails only)", LabelLeft, 31);
  CheckBox3 = Check(advanced, "CheckBox3", u"Send EML blobs (not as attachaments)", LabelLeft, 52);
  CheckBox4 = Check(advanced, "CheckBox4", u"Authentication required", LabelLeft, 73);
  Label(advanced, "Label8", u"User ", LabelLeft + 18, 103);
  TntEdit6 = Edit(advanced, "TntEdit6", EditLeft, 100, 220);
  Label(advanced, "Label9", u"Password", LabelLeft + 18, 130);
  TntEdit5 = Edit(advanced, "TntEdit5", EditLeft, 127, 220);
  TntEdit5->setEchoMode(QLineEdit::Password);
  CheckBox5 = Check(advanced, "CheckBox5", u"Use TLS", LabelLeft, 160);
  CheckBox6 = Check(advanced, "CheckBox6", u"Use SASL", LabelLeft, 181);

  // Test: the log of the test mail fills the page.
  Memo1 = MakeChild<QPlainTextEdit>("Memo1", xpTabSheet3);
  Fill(xpTabSheet3, Memo1);
  Memo1->setReadOnly(true);
  Memo1->setFrameShape(QFrame::NoFrame);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFont(QFont(QStringLiteral("Courier New"), 8));

  // Info: the reserved field names of a document.
  QFrame* info = PagePanel(xpTabSheet2, "Panel3");
  const struct {
    const char16_t* Name;
    const char16_t* Meaning;
  } fields[] = {
      {u"FROM", u"~ Sender address"},
      {u"FROMNAME", u"~ Sender name"},
      {u"RECIPIENT", u"~ Recipients delimited by \",\""},
      {u"CC", u"~ CC recipients delimited by \",\""},
      {u"BCC", u"~ BCC recipients delimited by \",\""},
      {u"SUBJECT", u"~ eMail subject"},
      {u"BODY", u"~ eMail body text (text or html)"},
  };
  int top = 14;
  int row = 0;
  for (const auto& field : fields) {
    const std::string nameLabel = "LabelField" + std::to_string(row);
    const std::string meaningLabel = "LabelMeaning" + std::to_string(row);
    Label(info, nameLabel.c_str(), field.Name, LabelLeft, top, false, true);
    Label(info, meaningLabel.c_str(), field.Meaning, 112, top, false, true);
    top += 22;
    ++row;
  }

  // About
  TamselAboutPanel1 = MakeChild<TTamselAboutPanel>("TamselAboutPanel1", xpTabSheet1);
  Fill(xpTabSheet1, TamselAboutPanel1);
  TamselAboutPanel1->SetPanelType(TamselAboutPanel::TvxTypes::Tamsel);
  TamselAboutPanel1->SetPictureLeft(16);
  TamselAboutPanel1->SetPictureTop(80);

  FormCreate();
}

void TCfgForm::FormCreate() {
  TvxStyler::UpdateForm(this);
  xpTabSheet3->SetTabVisible(false);
  xpPageControl1->SetActivePage(TabSheet5);
}

void TCfgForm::SetSettings(const TvxExportSettings& Settings) {
  Kept = Settings;
  Edit41->setText(ToQString(Settings.SMTPSERVER));
  // A port the field cannot hold (0 or -1 for a missing or unreadable
  // one) leaves the field's first value rather than a port no server uses.
  if (Settings.SMTPPORT >= ConfigUnit::MinPort && Settings.SMTPPORT <= ConfigUnit::MaxPort)
    Edit42->setValue(Settings.SMTPPORT);
  TntEdit1->setText(ToQString(Settings.FROMADDRESS));
  TntEdit2->setText(ToQString(Settings.FROMNAME));
  TntEdit3->setText(ToQString(Settings.RECIPIENT));
  TntEdit4->setText(ToQString(Settings.SUBJECT));
  CheckBox1->setChecked(Settings.ZIPMAILATM);
  CheckBox2->setChecked(Settings.INSERTFLDS);
  CheckBox3->setChecked(Settings.SENDEMLS);
  CheckBox4->setChecked(Settings.AUTHENTICATION);
  TntEdit6->setText(ToQString(Settings.USERNAME));
  TntEdit5->setText(ToQString(Settings.PASSWORD));
  CheckBox5->setChecked(Settings.USETLS);
  CheckBox6->setChecked(Settings.USESASL);
}

TvxExportSettings TCfgForm::Values() {
  // A number still being typed counts (an invalid one leaves the last).
  Edit42->interpretText();
  TvxExportSettings values = Kept;
  values.SMTPSERVER = FromQString(Edit41->text());
  values.SMTPPORT = Edit42->value();
  values.FROMADDRESS = FromQString(TntEdit1->text());
  values.FROMNAME = FromQString(TntEdit2->text());
  values.RECIPIENT = FromQString(TntEdit3->text());
  values.SUBJECT = FromQString(TntEdit4->text());
  values.ZIPMAILATM = CheckBox1->isChecked();
  values.INSERTFLDS = CheckBox2->isChecked();
  values.SENDEMLS = CheckBox3->isChecked();
  values.AUTHENTICATION = CheckBox4->isChecked();
  values.USERNAME = FromQString(TntEdit6->text());
  values.PASSWORD = FromQString(TntEdit5->text());
  values.USETLS = CheckBox5->isChecked();
  values.USESASL = CheckBox6->isChecked();
  return values;
}

void TCfgForm::Button3Click() {
  Memo1->clear();
  xpTabSheet3->SetTabVisible(true);
  xpPageControl1->SetActivePage(xpTabSheet3);
  const TvxExportSettings values = Values();
  const ustring port = FromQString(QString::number(values.SMTPPORT));
  Memo1->appendPlainText(ToQString(u"Sender...: " + values.FROMADDRESS + u" (" + values.FROMNAME + u")"));
  Memo1->appendPlainText(ToQString(u"Recipient: " + values.RECIPIENT));
  Memo1->appendPlainText(QString());
  Memo1->appendPlainText(ToQString(u"Sending test mail to " + values.SMTPSERVER + u":" + port + u"..."));
  // The lines show before the send blocks; clicks wait until it is done.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  ustring message = u"no mail engine";
  const bool sent = SendTestMail && SendTestMail(values, message);
  Memo1->appendPlainText(sent ? QStringLiteral("Mail successfully delivered")
                              : ToQString(u"Send mail exception (" + message + u")!"));
}

bool TCfgForm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Edit42 && Event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(Event);
    if (IsEditingKey(key->key())) return false;
    const QString text = key->text();
    if (text.isEmpty()) return false;  // a modifier alone types nothing
    // Only the digits 0 to 9 are typed; every other character is dropped.
    return !(text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9'));
  }
  return QDialog::eventFilter(Watched, Event);
}
