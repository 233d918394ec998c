// The system clipboard on Qt.
#include "desktop/platform/vxClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>

#include "desktop/platform/vxGuiApplication.h"

namespace vxClipboard {

void SetContent(std::u16string_view PlainText, const std::vector<TClipboardForm>& Forms) {
  std::string reason;
  if (!vxGuiApplication::Acquire(reason)) throw EClipboardException("Cannot open clipboard: " + reason);
  auto data = std::make_unique<QMimeData>();
  for (const auto& [format, bytes] : Forms)
    data->setData(QString::fromStdString(format), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  data->setText(QString::fromUtf16(PlainText.data(), static_cast<qsizetype>(PlainText.size())));
  // The clipboard takes ownership of the content.
  QGuiApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
}

}  // namespace vxClipboard
