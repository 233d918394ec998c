// The form styler: one look for the library's forms. Forms and their
// components are Qt objects (a form's components are its descendants, a
// frame's are its own), published properties are the objects' meta-object
// properties, and settings Qt has no counterpart for (double buffering,
// scaling) are kept as dynamic properties of the same names.
//
// The style font and its settings come from defaults or from the style
// file "vxStyle.xml". A repaint fix repaints a form's controls once after
// the form was told to show or hide its keyboard cues.
#pragma once

#include <QEvent>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/base/vxBase.h"

struct TvxCommonStyleDefinition {
  QFont Font;  // the style font
  ustring PreserveFonts = u"Consolas,Courier,Courier New,Lucida Console";
  int32_t FontSizeDelta = 0;
};

struct TvxStyleDefinition {
  TvxCommonStyleDefinition Common;
};

// The kind of a property as the walks report it.
enum TTypeKind : uint8_t {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkVariant,
  tkRecord,
  tkInt64,
  tkUString,
};

using TvxPropertyCallBackProc =
    std::function<void(const ustring& Path, const ustring& Name, TTypeKind TypeKind, const QVariant& Value)>;

// A frame: a widget that owns the components inside it, so that a form's
// walk reaches them only through the frame.
class TFrame : public QWidget {
 public:
  using QWidget::QWidget;
};

namespace TvxStyler {

// Prepares one form: not scaled, no automatic scrolling or sizing, double
// buffered; then the components it owns, in order, by class.
void UpdateForm(QWidget* Form);
// When the style file exists: ChangeFont with the style's name, size delta
// and preserved fonts; then UpdateForm for every form of the application.
void Update();
// Replaces the fonts of the application's forms and their components by
// FontName (SizeDelta points added) except the fonts named in the comma
// list PreserveFonts.
void ChangeFont(const ustring& FontName, int32_t SizeDelta, const ustring& PreserveFonts);
// Reports the properties of ProcessObj and of the objects they hold (each
// object once), paths joined by ".".
void GetProperties(QObject* ProcessObj, ustring RootObjectName, ustring Path, int32_t Level, bool ShowEvents,
                   const TvxPropertyCallBackProc& CallBackProc);
// The style font itself (owned by the styler; valid while it runs).
QFont& DefaultFont();

}  // namespace TvxStyler

namespace vxStyler {

// The forms owned by the application object: a form registers itself when
// it is made with the application as owner. A form made without owner
// (the configuration dialog) is not among them.
void RegisterForm(QWidget* Form);
void UnregisterForm(QWidget* Form);
std::vector<QWidget*> ApplicationForms();

// The styler's start-up (needs the application object): the default style,
// the style file when the installation has one, the hook that runs Update
// at the application's first activation, the repaint fix. Finalize undoes
// it; Initialize after Finalize starts afresh.
void Initialize();
void Finalize() noexcept;
bool Initialized();
const TvxStyleDefinition& StyleDefinition();

// The event by which a form is told to show or hide its keyboard cues (the
// repaint fix posts it when the Alt key goes down or up).
QEvent::Type UpdateUIStateEvent();

}  // namespace vxStyler

class TFormObj;

// Repaints the controls of a form at the next idle moment after the form
// received the keyboard-cue event. Active only with themes on.
class TVistaAltFix : public QObject {
 public:
  explicit TVistaAltFix(QObject* AOwner = nullptr);
  ~TVistaAltFix() override;

  bool RepaintAll() const { return FRepaintAll; }
  void SetRepaintAll(bool Value) { FRepaintAll = Value; }
  // Whether the active check passed (the list and the events object exist).
  bool Active() const { return FList != nullptr; }
  // The forms followed.
  std::vector<QWidget*> Forms() const;
  // What the application's idle moment runs.
  void IdleStep();

 private:
  std::unique_ptr<std::vector<std::unique_ptr<TFormObj>>> FList;
  std::unique_ptr<QObject> FApplicationEvents;
  bool FRepaintAll = true;
};

// One form followed by the fix: an event filter in front of the form's own
// handling that notes the keyboard-cue event.
class TFormObj : public QObject {
 public:
  TFormObj(QWidget* aForm, bool aRepaintAll);
  ~TFormObj() override;
  void DoRepaint();

  QPointer<QWidget> Form;
  bool Used = true;
  bool NeedRepaint = false;
  bool RepaintAll = true;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
};
