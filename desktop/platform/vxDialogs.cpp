// Modal dialogs on Qt Widgets.
#include "desktop/platform/vxDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/platform/vxGuiApplication.h"

namespace vxDialogs {

namespace {

QString ToQString(std::u16string_view Text) {
  return QString::fromUtf16(Text.data(), static_cast<qsizetype>(Text.size()));
}

QLineEdit* AddField(QFormLayout& Form, const char* Label, const char* Name, const ustring& Text, int Limit) {
  auto* field = new QLineEdit;  // owned by the dialog once in its layout
  field->setObjectName(Name);
  field->setMaxLength(std::max(Limit, static_cast<int>(std::min<size_t>(Text.size(), 32767))));
  field->setText(ToQString(Text));
  Form.addRow(QString::fromUtf8(Label), field);
  return field;
}

}  // namespace

void ShowMessageBox(std::u16string_view Text) {
  std::string reason;
  if (!vxGuiApplication::Acquire(reason)) throw Exception("Cannot show a message: " + reason);
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), ToQString(Text), QMessageBox::Ok);
  box.exec();
}

bool PromptCredentials(std::u16string_view Caption, std::u16string_view MessageText, ustring& UserName,
                       ustring& Password) {
  std::string reason;
  if (!vxGuiApplication::Acquire(reason)) return false;
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(ToQString(Caption));
  auto* layout = new QVBoxLayout(&dialog);  // owned by the dialog
  auto* message = new QLabel(ToQString(MessageText));
  message->setWordWrap(true);
  layout->addWidget(message);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  QLineEdit* user = AddField(*form, "User name:", UserNameField, UserName, UserNameLimit);
  QLineEdit* password = AddField(*form, "Password:", PasswordField, Password, PasswordLimit);
  password->setEchoMode(QLineEdit::Password);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (!UserName.empty()) password->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  UserName = user->text().toStdU16String();
  Password = password->text().toStdU16String();
  return true;
}

}  // namespace vxDialogs
