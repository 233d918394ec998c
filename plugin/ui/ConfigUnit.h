// The configuration dialog of the export library: the settings on two
// pages, a test mail with the values on screen and its log on a third,
// the reserved field names and the About page. OK hands the values of the
// controls back; the settings in use never change here.
#pragma once

#include <QDialog>
#include <functional>

#include "plugin/vxExportState.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TTamselAboutPanel;
class TTamselInfoPanel;
class TxpPageControl;
class TxpTabSheet;

class TCfgForm : public QDialog {
 public:
  // Sends the test mail with the values on screen; False with the engine's
  // text in Message.
  using TTestMail = std::function<bool(const TvxExportSettings& Values, ustring& Message)>;

  // The form with its controls, prepared by the styler, the Test tab hidden.
  explicit TCfgForm(TTestMail SendTestMail, QWidget* Parent = nullptr);

  // The controls filled from Settings; what the dialog has no control for
  // is kept and handed back unchanged by Values.
  void SetSettings(const TvxExportSettings& Settings);
  // The values of the controls (the port is the spin box's value).
  TvxExportSettings Values();

  // The form's handlers.
  void FormCreate();
  void Button3Click();

  // The controls, named as the form names them.
  TTamselInfoPanel* TamselInfoPanel1;
  TxpPageControl* xpPageControl1;
  QPushButton* Button1;  // Ok
  QPushButton* Button3;  // Test
  QPushButton* Button2;  // Cancel
  TxpTabSheet* TabSheet5;  // Basics
  TxpTabSheet* Advanced;
  TxpTabSheet* xpTabSheet3;  // Test
  TxpTabSheet* xpTabSheet2;  // Info
  TxpTabSheet* xpTabSheet1;  // About
  QLineEdit* Edit41;  // server
  QSpinBox* Edit42;   // port: field and up-down in one
  QLineEdit* TntEdit1;  // sender address
  QLineEdit* TntEdit2;  // sender name
  QLineEdit* TntEdit3;  // recipients
  QLineEdit* TntEdit4;  // subject
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QLineEdit* TntEdit6;  // user
  QLineEdit* TntEdit5;  // password
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QPlainTextEdit* Memo1;
  TTamselAboutPanel* TamselAboutPanel1;

 protected:
  // The port field's key filter.
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  TTestMail SendTestMail;
  TvxExportSettings Kept;
};

namespace ConfigUnit {
// The port field's range and its first value.
inline constexpr int MinPort = 1;
inline constexpr int MaxPort = 65535;
inline constexpr int InitialPort = 25;
}  // namespace ConfigUnit
