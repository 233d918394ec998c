// The form styler: form preparation, the font walk, the property walk, the
// style file and the repaint fix, on Qt's objects and meta-object
// properties.
#include "plugin/ui/vxStyler.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <unordered_set>

#include "core/vxToolsPlatform.h"
#include "foundation/vxConfigTools.h"
#include "foundation/vxVarlo.h"
#include "platform/files/vxFileSystem.h"
#include "plugin/ui/vxCanvas.h"
#include "plugin/ui/xpPages.h"

namespace {

// ---- Unit state ----

struct TStylerState {
  std::unique_ptr<TvxStyleDefinition> Definition;
  QMetaObject::Connection ActivationHook;
  std::unique_ptr<TVistaAltFix> AltFix;
};

// Made once and never destroyed: Finalize ends what it holds, so that no
// static destructor touches Qt objects after the application is gone.
TStylerState& State() {
  static TStylerState* state = std::make_unique<TStylerState>().release();
  return *state;
}

std::vector<QPointer<QWidget>>& Forms() {
  static auto* forms = std::make_unique<std::vector<QPointer<QWidget>>>().release();
  return *forms;
}

TvxStyleDefinition& Definition() {
  TStylerState& state = State();
  // Before the start-up (and after the shut-down) the defaults stand.
  if (!state.Definition) state.Definition = std::make_unique<TvxStyleDefinition>();
  return *state.Definition;
}

void SetFlag(QObject* Object, const char* Name, bool Value) { Object->setProperty(Name, Value); }

// ---- Components ----

// Qt's own inner parts of a widget (named "qt_..."): no components.
bool IsInnerPart(const QObject* Object) { return Object->objectName().startsWith(QStringLiteral("qt_")); }

// The components Owner owns, in order: its descendants, depth first, except
// Qt's inner parts and what frames below it own (the frame itself is
// Owner's).
void CollectOwned(const QObject* Owner, const QObject* At, std::vector<QObject*>& Owned) {
  for (QObject* child : At->children()) {
    if (IsInnerPart(child)) continue;
    Owned.push_back(child);
    if (dynamic_cast<TFrame*>(child) == nullptr || child == Owner) CollectOwned(Owner, child, Owned);
  }
}

std::vector<QObject*> OwnedComponents(const QObject* Owner) {
  std::vector<QObject*> owned;
  CollectOwned(Owner, Owner, owned);
  return owned;
}

// Speed buttons are drawn by their parent (not windowed); every other
// widget is a windowed control.
bool IsWindowed(const QObject* Object) {
  return qobject_cast<const QWidget*>(Object) != nullptr && qobject_cast<const QToolButton*>(Object) == nullptr;
}

// ---- Properties ----

const QMetaType FontType = QMetaType::fromType<QFont>();
const QMetaType ObjectListType = QMetaType::fromType<QObjectList>();

bool HoldsObject(const QMetaProperty& Property) {
  return (Property.metaType().flags() & QMetaType::PointerToQObject) != 0;
}

TTypeKind KindOf(const QMetaProperty& Property) {
  if (Property.isEnumType()) return Property.isFlagType() ? tkSet : tkEnumeration;
  const QMetaType type = Property.metaType();
  if (type == FontType || type == ObjectListType || HoldsObject(Property)) return tkClass;
  switch (type.id()) {
    case QMetaType::Bool:
      return tkEnumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return tkInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return tkInt64;
    case QMetaType::Double:
    case QMetaType::Float:
      return tkFloat;
    case QMetaType::QString:
      return tkUString;
    case QMetaType::QChar:
      return tkWChar;
    case QMetaType::Char:
      return tkChar;
    case QMetaType::QVariant:
      return tkVariant;
    default:
      return tkRecord;
  }
}

bool Contains(const QString& Text, const char* Part) { return Text.contains(QLatin1String(Part), Qt::CaseSensitive); }

// ---- Font walk ----

struct TFontChange {
  QString FontName;
  int32_t SizeDelta;
  QString PreserveFonts;  // ends with ","
  std::unordered_set<const QObject*> Visited;
};

void WalkObject(TFontChange& Change, QObject* Object, QString RootName, int32_t Depth) {
  if (Object == nullptr) return;
  ++Depth;
  const QString name = Object->objectName();
  if (name == RootName) return;
  if (Depth == 1) RootName = name;
  // Each object once: references that lead back (other than to the root
  // component) end here.
  if (!Change.Visited.insert(Object).second) return;
  const QMetaObject* meta = Object->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty property = meta->property(i);
    if (!property.isReadable()) continue;
    const QMetaType type = property.metaType();
    if (type == FontType) {
      QFont font = property.read(Object).value<QFont>();
      if (Change.PreserveFonts.contains(font.family() + QLatin1Char(','), Qt::CaseSensitive)) continue;
      font.setFamily(Change.FontName);
      if (Change.SizeDelta != 0) font.setPointSize(font.pointSize() + Change.SizeDelta);
      property.write(Object, font);
    } else if (type == ObjectListType) {
      for (QObject* item : property.read(Object).value<QObjectList>()) WalkObject(Change, item, RootName, Depth);
    } else if (HoldsObject(property)) {
      if (Contains(QString::fromLatin1(property.name()), "Parent") ||
          Contains(QString::fromLatin1(property.name()), "Items"))
        continue;
      try {
        WalkObject(Change, property.read(Object).value<QObject*>(), RootName, Depth);
      } catch (...) {
        // A failing branch of the walk leaves the others to go on.
      }
    }
  }
}

void ChangeComponentFonts(const QString& FontName, int32_t SizeDelta, const QString& PreserveFonts,
                          QObject* Component) {
  const auto walk = [&](QObject* Object) {
    TFontChange change{FontName, SizeDelta, PreserveFonts, {}};
    WalkObject(change, Object, QString(), 0);
  };
  walk(Component);
  for (QObject* owned : OwnedComponents(Component)) {
    if (owned->parent() == nullptr) continue;
    if (dynamic_cast<TFrame*>(owned) != nullptr)
      ChangeComponentFonts(FontName, SizeDelta, PreserveFonts, owned);
    else
      walk(owned);
  }
}

// ---- Property walk ----

void ReportProperties(std::unordered_set<const QObject*>& Visited, QObject* ProcessObj, QString RootObjectName,
                      QString Path, int32_t Level, bool ShowEvents, const TvxPropertyCallBackProc& CallBackProc) {
  if (ProcessObj == nullptr) return;
  ++Level;
  const QString name = ProcessObj->objectName();
  if (name == RootObjectName) return;
  if (Level == 1) {
    RootObjectName = name;
    Path = name;
  }
  if (!Visited.insert(ProcessObj).second) return;
  const QMetaObject* meta = ProcessObj->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty property = meta->property(i);
    const QString propertyName = QString::fromLatin1(property.name());
    const QString path = Path + QLatin1Char('.') + propertyName;
    const QVariant value = ProcessObj->property(property.name());
    if (CallBackProc) CallBackProc(FromQString(path), FromQString(propertyName), KindOf(property), value);
    if (property.metaType() == ObjectListType) {
      for (QObject* item : value.value<QObjectList>())
        ReportProperties(Visited, item, RootObjectName, path, Level, ShowEvents, CallBackProc);
    } else if (HoldsObject(property)) {
      QString declared = QString::fromLatin1(property.typeName());
      declared.remove(QLatin1Char('*'));
      if (declared.trimmed() == QLatin1String("TChartSeriesList") || Contains(propertyName, "Parent")) continue;
      try {
        ReportProperties(Visited, value.value<QObject*>(), RootObjectName, path, Level, ShowEvents, CallBackProc);
      } catch (...) {
        // As the walk promises: a failing branch is skipped.
      }
    }
  }
  // Events are the object's signals, reported after the properties.
  if (!ShowEvents) return;
  for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
    const QMetaMethod method = meta->method(i);
    if (method.methodType() != QMetaMethod::Signal) continue;
    const QString eventName = QString::fromLatin1(method.name());
    if (CallBackProc) CallBackProc(FromQString(Path + QLatin1Char('.') + eventName), FromQString(eventName), tkMethod, {});
  }
}

// ---- Style file ----

void LoadStyleFile(TvxCommonStyleDefinition& Common) {
  try {
    const ustring path = TvxVarlo::GetStyleDefinitionPath();
    if (!vxFileSystem::FileExists(path)) return;
    TvxConfigTools config;
    config.LoadConfig(path);  // a file that does not read leaves an empty list
    const ustring fontName = config.GetConfigParam(u"FontName").AsString();
    if (!fontName.empty()) Common.Font.setFamily(ToQString(fontName));
    Common.Font.setPointSize(config.GetConfigParam(u"FontSize").AsInteger());
    Common.FontSizeDelta = config.GetConfigParam(u"FontSizeDelta").AsInteger();
    Common.PreserveFonts = config.GetConfigParam(u"PreserveFonts").AsString();
  } catch (...) {
    // What was read before the failure stays.
  }
}

// ---- Repaint fix ----

// The idle moments of the application and the Alt key, for the fix.
class TApplicationEvents final : public QObject {
 public:
  explicit TApplicationEvents(TVistaAltFix& Fix) : Fix(Fix) {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
      QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { this->Fix.IdleStep(); });
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
  }
  ~TApplicationEvents() override {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
  }

 protected:
  // The window system's part: a press or release of Alt tells the form
  // to show or hide its keyboard cues.
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if ((Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Alt && !static_cast<QKeyEvent*>(Event)->isAutoRepeat()) {
      if (QWidget* widget = qobject_cast<QWidget*>(Watched); widget != nullptr && widget->isWindow())
        QCoreApplication::postEvent(widget, std::make_unique<QEvent>(vxStyler::UpdateUIStateEvent()).release());
    }
    return false;
  }

 private:
  TVistaAltFix& Fix;
};

// The forms on the screen: the application's top-level windows and dialogs.
std::vector<QWidget*> ScreenForms() {
  std::vector<QWidget*> forms;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Window || type == Qt::Dialog) forms.push_back(widget);
  }
  return forms;
}

// Every windowed control of the form, the form first: a widget's repaint
// paints its children with it, so the form's one repaint does it all.
void RepaintTree(QWidget* Form) { Form->repaint(); }

bool IsBitButton(const QObject* Object) {
  const auto* button = qobject_cast<const QPushButton*>(Object);
  return button != nullptr && !button->icon().isNull();
}

void RepaintSelective(QWidget* Control) {
  for (QObject* child : Control->children()) {
    if (!IsWindowed(child) || IsBitButton(child)) continue;
    QWidget* widget = static_cast<QWidget*>(child);
    if (qobject_cast<QAbstractButton*>(widget) != nullptr || qobject_cast<QLabel*>(widget) != nullptr) {
      widget->repaint();
      continue;
    }
    if (auto* sheet = dynamic_cast<TxpTabSheet*>(widget);
        sheet != nullptr && (sheet->PageControl() == nullptr || sheet->PageControl()->ActivePage() != sheet))
      continue;
    RepaintSelective(widget);
  }
}

}  // namespace

// ---- TvxStyler ----

namespace TvxStyler {

void UpdateForm(QWidget* Form) {
  if (Form == nullptr) return;
  SetFlag(Form, "Scaled", false);
  SetFlag(Form, "AutoScroll", false);
  SetFlag(Form, "AutoSize", false);
  SetFlag(Form, "DoubleBuffered", true);
  for (QObject* component : OwnedComponents(Form)) {
    if (IsWindowed(component)) SetFlag(component, "DoubleBuffered", true);
    if (qobject_cast<QToolButton*>(component) != nullptr) continue;  // speed button: nothing more
    if (auto* control = dynamic_cast<TxpPageControl*>(component)) {
      control->SetTabHeight(24);
      SetFlag(control, "DoubleBuffered", true);
      SetFlag(control, "ParentDoubleBuffered", false);
    } else if (dynamic_cast<TxpTabSheet*>(component) != nullptr) {
      SetFlag(component, "DoubleBuffered", true);
    } else if (qobject_cast<QPlainTextEdit*>(component) != nullptr || qobject_cast<QListView*>(component) != nullptr ||
               qobject_cast<QTreeView*>(component) != nullptr || qobject_cast<QScrollArea*>(component) != nullptr) {
      // memo, list view, scroll box
      SetFlag(component, "DoubleBuffered", true);
    } else if (qobject_cast<QTextEdit*>(component) != nullptr) {
      // rich edit
      SetFlag(component, "DoubleBuffered", false);
    } else if (QFrame* frame = qobject_cast<QFrame*>(component);
               frame != nullptr && frame->metaObject() == &QFrame::staticMetaObject) {
      // panel: paints its own background
      frame->setAutoFillBackground(true);
      SetFlag(frame, "ParentBackground", false);
      SetFlag(frame, "DoubleBuffered", true);
      SetFlag(frame, "FullRepaint", false);
    }
  }
}

void Update() {
  if (TvxVarlo::StyleDefinitionExists()) {
    const TvxCommonStyleDefinition& common = Definition().Common;
    ChangeFont(FromQString(common.Font.family()), common.FontSizeDelta, common.PreserveFonts);
  }
  for (QWidget* form : vxStyler::ApplicationForms()) UpdateForm(form);
}

void ChangeFont(const ustring& FontName, int32_t SizeDelta, const ustring& PreserveFonts) {
  const QString preserve = ToQString(PreserveFonts) + QLatin1Char(',');
  for (QWidget* form : vxStyler::ApplicationForms()) {
    ChangeComponentFonts(ToQString(FontName), SizeDelta, preserve, form);
    form->update();
  }
}

void GetProperties(QObject* ProcessObj, ustring RootObjectName, ustring Path, int32_t Level, bool ShowEvents,
                   const TvxPropertyCallBackProc& CallBackProc) {
  std::unordered_set<const QObject*> visited;
  ReportProperties(visited, ProcessObj, ToQString(RootObjectName), ToQString(Path), Level, ShowEvents, CallBackProc);
}

QFont& DefaultFont() { return Definition().Common.Font; }

}  // namespace TvxStyler

// ---- Unit ----

namespace vxStyler {

void RegisterForm(QWidget* Form) {
  if (Form == nullptr) return;
  UnregisterForm(Form);
  Forms().emplace_back(Form);
}

void UnregisterForm(QWidget* Form) {
  auto& forms = Forms();
  forms.erase(std::remove_if(forms.begin(), forms.end(),
                             [Form](const QPointer<QWidget>& At) { return At.isNull() || At.data() == Form; }),
              forms.end());
}

std::vector<QWidget*> ApplicationForms() {
  std::vector<QWidget*> result;
  for (const QPointer<QWidget>& form : Forms())
    if (!form.isNull()) result.push_back(form.data());
  return result;
}

void Initialize() {
  Finalize();
  TStylerState& state = State();
  state.Definition = std::make_unique<TvxStyleDefinition>();
  TvxCommonStyleDefinition& common = state.Definition->Common;
  common.Font = QFont(QStringLiteral("Segoe UI"), 8);
  if (TvxVarlo::StyleDefinitionExists()) LoadStyleFile(common);
  // The first activation of the application runs Update once.
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    state.ActivationHook = QObject::connect(application, &QGuiApplication::applicationStateChanged,
                                            [](Qt::ApplicationState Now) {
                                              if (Now != Qt::ApplicationActive) return;
                                              QObject::disconnect(State().ActivationHook);
                                              TvxStyler::Update();
                                            });
  }
  state.AltFix = std::make_unique<TVistaAltFix>();
}

void Finalize() noexcept {
  TStylerState& state = State();
  try {
    QObject::disconnect(state.ActivationHook);
    std::unique_ptr<TVistaAltFix> fix = std::move(state.AltFix);
    fix.reset();
  } catch (...) {
  }
  state.Definition.reset();
}

bool Initialized() { return State().AltFix != nullptr; }

const TvxStyleDefinition& StyleDefinition() { return Definition(); }

QEvent::Type UpdateUIStateEvent() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

}  // namespace vxStyler

// ---- TVistaAltFix ----

TVistaAltFix::TVistaAltFix(QObject* AOwner) : QObject(AOwner) {
  // The keyboard cues come and go on every version of this platform: only
  // the theme setting decides.
  if (!TvxTools::IsWindowsThemeActive()) return;
  FList = std::make_unique<std::vector<std::unique_ptr<TFormObj>>>();
  FApplicationEvents = std::make_unique<TApplicationEvents>(*this);
}

TVistaAltFix::~TVistaAltFix() {
  FApplicationEvents.reset();
  FList.reset();
}

std::vector<QWidget*> TVistaAltFix::Forms() const {
  std::vector<QWidget*> forms;
  if (FList)
    for (const auto& entry : *FList) forms.push_back(entry->Form.data());
  return forms;
}

void TVistaAltFix::IdleStep() {
  if (!FList) return;
  for (auto& entry : *FList) entry->Used = false;
  for (QWidget* form : ScreenForms()) {
    const auto found = std::find_if(FList->begin(), FList->end(),
                                    [form](const std::unique_ptr<TFormObj>& At) { return At->Form.data() == form; });
    if (found != FList->end())
      (*found)->Used = true;
    else
      FList->push_back(std::make_unique<TFormObj>(form, FRepaintAll));
  }
  for (size_t i = FList->size(); i-- > 0;) {
    if ((*FList)[i]->Used)
      (*FList)[i]->DoRepaint();
    else
      FList->erase(FList->begin() + static_cast<std::ptrdiff_t>(i));
  }
}

// ---- TFormObj ----

TFormObj::TFormObj(QWidget* aForm, bool aRepaintAll) : Form(aForm), RepaintAll(aRepaintAll) {
  if (aForm != nullptr) aForm->installEventFilter(this);
}

TFormObj::~TFormObj() {
  // The form goes back to its own handling alone.
  if (!Form.isNull()) Form->removeEventFilter(this);
}

bool TFormObj::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Form.data() && Event->type() == vxStyler::UpdateUIStateEvent()) NeedRepaint = true;
  return false;
}

void TFormObj::DoRepaint() {
  if (!NeedRepaint) return;
  NeedRepaint = false;
  if (Form.isNull()) return;
  if (RepaintAll)
    RepaintTree(Form.data());
  else
    RepaintSelective(Form.data());
}
