// The form styler on Qt objects: form preparation, the font walk with its
// preserved fonts and the style file, the property walk, and the repaint
// fix after the keyboard-cue event.
#include "plugin/ui/vxStyler.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/vxRegistry.h"
#include "foundation/vxConfigTools.h"
#include "plugin/ui/xpPages.h"
#include "support/vxScopedEnv.h"
#include "support/vxTestTempDir.h"

namespace {

// A component with a font, references to other objects and a collection.
class TTestComponent : public QObject {
  Q_OBJECT
  Q_PROPERTY(QFont Font READ Font WRITE SetFont)
  Q_PROPERTY(QObject* Child READ Child)
  Q_PROPERTY(QObjectList Columns READ Columns)
  Q_PROPERTY(QObject* ParentLink READ ParentLink)
  Q_PROPERTY(int Count READ Count)

 public:
  explicit TTestComponent(const char* Name = "", QObject* Parent = nullptr) : QObject(Parent) {
    setObjectName(QString::fromLatin1(Name));
    FFont = QFont(QStringLiteral("Arial"), 8);
  }
  QFont Font() const { return FFont; }
  void SetFont(const QFont& Value) { FFont = Value; }
  QObject* Child() const { return FChild; }
  QObjectList Columns() const { return FColumns; }
  QObject* ParentLink() const { return FParentLink; }
  int Count() const { return 7; }

  QObject* FChild = nullptr;
  QObjectList FColumns;
  QObject* FParentLink = nullptr;

 signals:
  void Changed();

 private:
  QFont FFont;
};

std::string Family(const QFont& Font) { return Font.family().toStdString(); }

// A fresh installation: its own registry and system folder, the styler
// stopped at the end.
class StylerTest : public ::testing::Test {
 protected:
  StylerTest()
      : Registry("VARLO_REGISTRY", Temp.File("registry")),
        System("VARLOSYS", Temp.File("sys")) {
    std::filesystem::create_directories(Temp.Path() / "registry");
    std::filesystem::create_directories(Temp.Path() / "sys" / "cfg");
  }
  ~StylerTest() override {
    vxStyler::Finalize();
    for (QWidget* form : vxStyler::ApplicationForms()) vxStyler::UnregisterForm(form);
  }

  void WriteStyle(const std::map<std::u16string, Variant>& Keys) {
    TvxConfigTools config;
    for (const auto& [key, value] : Keys) config.AddConfigParam(key, value, false, true);
    ASSERT_TRUE(config.SaveConfig(StyleFile(), u"vxStyle", false, false));
  }
  ustring StyleFile() const { return Temp.WideFile("sys/cfg/vxStyle.xml"); }

  void SetThemes(const char16_t* Value) {
    ASSERT_TRUE(TvxRegistry::SetValue(HKEY_CURRENT_USER, u"\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                                      u"ThemeActive", Variant(ustring(Value)), false));
  }

  TTestTempDir Temp{"vxstyler"};
  vxTest::TScopedEnv Registry;
  vxTest::TScopedEnv System;
};

// A form of the application with an Arial label and a Consolas memo.
struct TStyledForm {
  QWidget Form;
  QLabel* Label;
  QPlainTextEdit* Memo;
  TStyledForm() {
    Form.setObjectName(QStringLiteral("StyledForm"));
    Label = std::make_unique<QLabel>(QStringLiteral("label"), &Form).release();
    Label->setObjectName(QStringLiteral("Label1"));
    Label->setFont(QFont(QStringLiteral("Arial"), 8));
    Memo = std::make_unique<QPlainTextEdit>(&Form).release();
    Memo->setObjectName(QStringLiteral("Memo1"));
    Memo->setFont(QFont(QStringLiteral("Consolas"), 10));
    vxStyler::RegisterForm(&Form);
  }
};

}  // namespace

TEST_F(StylerTest, WithoutStyleFileTheDefaultsStandAndUpdateOnlyPreparesForms) {
  vxStyler::Initialize();
  EXPECT_EQ(Family(TvxStyler::DefaultFont()), "Segoe UI");
  EXPECT_EQ(TvxStyler::DefaultFont().pointSize(), 8);
  EXPECT_EQ(vxStyler::StyleDefinition().Common.FontSizeDelta, 0);
  EXPECT_EQ(vxStyler::StyleDefinition().Common.PreserveFonts, u"Consolas,Courier,Courier New,Lucida Console");
  TStyledForm styled;
  TvxStyler::Update();
  EXPECT_EQ(Family(styled.Label->font()), "Arial");
  EXPECT_EQ(styled.Label->font().pointSize(), 8);
  EXPECT_EQ(styled.Form.property("DoubleBuffered"), QVariant(true));
  EXPECT_EQ(styled.Form.property("Scaled"), QVariant(false));
}

TEST_F(StylerTest, FirstActivationRunsUpdateOnce) {
  vxStyler::Initialize();
  TStyledForm styled;
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  ASSERT_NE(application, nullptr);
  Q_EMIT application->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_FALSE(styled.Form.property("DoubleBuffered").isValid());
  Q_EMIT application->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_EQ(styled.Form.property("DoubleBuffered"), QVariant(true));
  styled.Form.setProperty("DoubleBuffered", QVariant());
  Q_EMIT application->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_FALSE(styled.Form.property("DoubleBuffered").isValid());
}

TEST_F(StylerTest, StyleFileSetsFontSizeDeltaAndPreservedFonts) {
  WriteStyle({{u"FontName", Variant(ustring(u"Tahoma"))},
              {u"FontSize", Variant(int32_t{9})},
              {u"FontSizeDelta", Variant(int32_t{1})},
              {u"PreserveFonts", Variant(ustring(u"Consolas"))}});
  vxStyler::Initialize();
  EXPECT_EQ(Family(TvxStyler::DefaultFont()), "Tahoma");
  EXPECT_EQ(TvxStyler::DefaultFont().pointSize(), 9);
  TStyledForm styled;
  TvxStyler::Update();
  EXPECT_EQ(Family(styled.Label->font()), "Tahoma");
  EXPECT_EQ(styled.Label->font().pointSize(), 9);
  EXPECT_EQ(Family(styled.Memo->font()), "Consolas");
  EXPECT_EQ(styled.Memo->font().pointSize(), 10);
}

TEST_F(StylerTest, FirstFailingStyleKeyStopsTheRest) {
  struct TCase {
    const char* Name;
    std::map<std::u16string, Variant> Keys;
    const char* Family;
    int Size;
  };
  const TCase cases[] = {
      {"no FontSize", {{u"FontName", Variant(ustring(u"Tahoma"))}, {u"FontSizeDelta", Variant(int32_t{3})}}, "Tahoma",
       8},
      {"FontSize no number",
       {{u"FontName", Variant(ustring(u"Tahoma"))},
        {u"FontSize", Variant(ustring(u"big"))},
        {u"PreserveFonts", Variant(ustring(u"Arial"))}},
       "Tahoma",
       8},
      {"FontSizeDelta no number",
       {{u"FontSize", Variant(int32_t{11})},
        {u"FontSizeDelta", Variant(ustring(u"x"))},
        {u"PreserveFonts", Variant(ustring(u"Arial"))}},
       "Segoe UI",
       11},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteStyle(c.Keys);
    vxStyler::Initialize();
    EXPECT_EQ(Family(TvxStyler::DefaultFont()), c.Family);
    EXPECT_EQ(TvxStyler::DefaultFont().pointSize(), c.Size);
    EXPECT_EQ(vxStyler::StyleDefinition().Common.FontSizeDelta, 0);
    EXPECT_EQ(vxStyler::StyleDefinition().Common.PreserveFonts, u"Consolas,Courier,Courier New,Lucida Console");
    std::filesystem::remove(std::filesystem::path(Temp.File("sys/cfg/vxStyle.xml")));
  }
}

TEST_F(StylerTest, UnreadableStyleFileKeepsTheDefaults) {
  TTestTempDir::WriteBytes(Temp.File("sys/cfg/vxStyle.xml"), "<vxStyle><FontName>Tahoma");
  vxStyler::Initialize();
  EXPECT_EQ(Family(TvxStyler::DefaultFont()), "Segoe UI");
}

TEST_F(StylerTest, ChangeFontSparesPreservedNamesByPlainSubstring) {
  // 'New' is spared too: "New," occurs in the default list.
  const std::map<std::string, bool> spared = {
      {"Courier", true}, {"Courier New", true}, {"Consolas", true}, {"New", true}, {"Arial", false}, {"Lucida", false}};
  QWidget form;
  form.setObjectName(QStringLiteral("Form"));
  std::map<std::string, QLabel*> labels;
  int n = 0;
  for (const auto& [family, keep] : spared) {
    QLabel* label = std::make_unique<QLabel>(&form).release();
    label->setObjectName(QStringLiteral("Label%1").arg(++n));
    label->setFont(QFont(QString::fromStdString(family), 8));
    labels[family] = label;
  }
  vxStyler::RegisterForm(&form);
  TvxStyler::ChangeFont(u"Tahoma", 0, u"Consolas,Courier,Courier New,Lucida Console");
  for (const auto& [family, keep] : spared)
    EXPECT_EQ(Family(labels[family]->font()), keep ? family : "Tahoma") << family;
  EXPECT_EQ(labels["Arial"]->font().pointSize(), 8);  // no delta, no size change
}

TEST_F(StylerTest, ChangeFontWalksNamedComponentsAndWhatTheyHold) {
  QWidget form;
  form.setObjectName(QStringLiteral("Form"));
  TTestComponent named("Named", &form);
  TTestComponent unnamed("", &form);
  TTestComponent held, item1, item2, parentLink;
  named.FChild = &held;
  named.FColumns = {&item1, &item2};
  named.FParentLink = &parentLink;
  // A reference that leads back to the root component ends the walk there.
  held.FChild = &named;
  vxStyler::RegisterForm(&form);
  TvxStyler::ChangeFont(u"Tahoma", 2, u"Consolas");
  EXPECT_EQ(Family(named.Font()), "Tahoma");
  EXPECT_EQ(named.Font().pointSize(), 10);
  EXPECT_EQ(Family(held.Font()), "Tahoma");
  EXPECT_EQ(Family(item1.Font()), "Tahoma");
  EXPECT_EQ(Family(item2.Font()), "Tahoma");
  EXPECT_EQ(Family(parentLink.Font()), "Arial");  // properties named "Parent..." are not followed
  EXPECT_EQ(Family(unnamed.Font()), "Arial");     // no name: skipped at the top
  EXPECT_EQ(Family(form.font()), "Tahoma");
}

TEST_F(StylerTest, ReferenceCycleAwayFromTheRootEnds) {
  QWidget form;
  form.setObjectName(QStringLiteral("Form"));
  TTestComponent named("Named", &form);
  TTestComponent a, b;
  named.FChild = &a;
  a.FChild = &b;
  b.FChild = &a;  // a and b hold each other; neither is the root
  vxStyler::RegisterForm(&form);
  TvxStyler::ChangeFont(u"Tahoma", 1, u"");
  // Each object once: one delta each.
  EXPECT_EQ(a.Font().pointSize(), 9);
  EXPECT_EQ(b.Font().pointSize(), 9);
  std::vector<std::string> paths;
  TvxStyler::GetProperties(&named, u"", u"", 0, false,
                           [&](const ustring& Path, const ustring&, TTypeKind, const QVariant&) {
                             paths.push_back(std::string(Path.begin(), Path.end()));
                           });
  EXPECT_LT(paths.size(), 40u);
}

TEST_F(StylerTest, FramesChangeTheirOwnComponents) {
  QWidget form;
  form.setObjectName(QStringLiteral("Form"));
  TFrame frame(&form);
  frame.setObjectName(QStringLiteral("Frame1"));
  TTestComponent inFrame("InFrame", &frame);
  vxStyler::RegisterForm(&form);
  TvxStyler::ChangeFont(u"Tahoma", 0, u"");
  EXPECT_EQ(Family(inFrame.Font()), "Tahoma");
}

TEST_F(StylerTest, UpdateFormSetsEachKindOfControl) {
  QWidget form;
  auto* rich = std::make_unique<QTextEdit>(&form).release();
  auto* panel = std::make_unique<QFrame>(&form).release();
  auto* speed = std::make_unique<QToolButton>(&form).release();
  auto* memo = std::make_unique<QPlainTextEdit>(&form).release();
  auto* pages = std::make_unique<TxpPageControl>(&form).release();
  TxpTabSheet* sheet = pages->AddPage(u"One");
  TFrame* frame = std::make_unique<TFrame>(&form).release();
  auto* inFrame = std::make_unique<QFrame>(frame).release();
  TvxStyler::UpdateForm(&form);
  EXPECT_EQ(form.property("AutoScroll"), QVariant(false));
  EXPECT_EQ(form.property("AutoSize"), QVariant(false));
  EXPECT_EQ(rich->property("DoubleBuffered"), QVariant(false));
  EXPECT_EQ(panel->property("DoubleBuffered"), QVariant(true));
  EXPECT_EQ(panel->property("ParentBackground"), QVariant(false));
  EXPECT_EQ(panel->property("FullRepaint"), QVariant(false));
  EXPECT_TRUE(panel->autoFillBackground());
  EXPECT_FALSE(speed->property("DoubleBuffered").isValid());
  EXPECT_EQ(memo->property("DoubleBuffered"), QVariant(true));
  EXPECT_EQ(pages->TabHeight(), 24);
  EXPECT_EQ(pages->property("ParentDoubleBuffered"), QVariant(false));
  EXPECT_EQ(sheet->property("DoubleBuffered"), QVariant(true));
  EXPECT_EQ(frame->property("DoubleBuffered"), QVariant(true));
  EXPECT_FALSE(inFrame->property("ParentBackground").isValid());  // the frame's own
}

TEST_F(StylerTest, GetPropertiesReportsPathsKindsAndHeldObjects) {
  TTestComponent root("Root");
  TTestComponent held, item, parentLink;
  held.setObjectName(QStringLiteral("Held"));
  root.FChild = &held;
  root.FColumns = {&item};
  root.FParentLink = &parentLink;
  std::map<std::string, TTypeKind> seen;
  const auto collect = [&](const ustring& Path, const ustring&, TTypeKind Kind, const QVariant&) {
    seen[std::string(Path.begin(), Path.end())] = Kind;
  };
  TvxStyler::GetProperties(&root, u"", u"", 0, false, collect);
  EXPECT_EQ(seen["Root.objectName"], tkUString);
  EXPECT_EQ(seen["Root.Font"], tkClass);
  EXPECT_EQ(seen["Root.Count"], tkInteger);
  EXPECT_EQ(seen["Root.Child"], tkClass);
  EXPECT_EQ(seen["Root.Child.Font"], tkClass);
  EXPECT_EQ(seen["Root.Columns.Font"], tkClass);
  EXPECT_EQ(seen.count("Root.ParentLink"), 1u);
  EXPECT_EQ(seen.count("Root.ParentLink.Font"), 0u);
  EXPECT_EQ(seen.count("Root.Changed"), 0u);
  seen.clear();
  TvxStyler::GetProperties(&root, u"", u"", 0, true, collect);
  ASSERT_EQ(seen.count("Root.Changed"), 1u);
  EXPECT_EQ(seen["Root.Changed"], tkMethod);
}

TEST_F(StylerTest, RepaintFixStaysOffWithoutThemes) {
  SetThemes(u"0");
  TVistaAltFix fix;
  EXPECT_FALSE(fix.Active());
  fix.IdleStep();
  EXPECT_TRUE(fix.Forms().empty());
}

namespace {

// Counts the paint events of the widgets it watches.
class TPaintCounter : public QObject {
 public:
  void Watch(QWidget* Widget) {
    Widget->installEventFilter(this);
    Counts[Widget] = 0;
  }
  std::map<QObject*, int> Counts;
  void Reset() {
    for (auto& entry : Counts) entry.second = 0;
  }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Paint) ++Counts[Watched];
    return false;
  }
};

}  // namespace

TEST_F(StylerTest, RepaintFixRepaintsOnceAfterTheKeyboardCueEvent) {
  SetThemes(u"1");
  for (const bool repaintAll : {true, false}) {
    SCOPED_TRACE(repaintAll ? "all" : "selective");
    TVistaAltFix fix;
    ASSERT_TRUE(fix.Active());
    fix.SetRepaintAll(repaintAll);
    auto form = std::make_unique<QWidget>();
    form->resize(300, 200);
    auto* button = std::make_unique<QPushButton>(QStringLiteral("Ok"), form.get()).release();
    auto* edit = std::make_unique<QLineEdit>(form.get()).release();
    edit->move(0, 40);
    auto* pages = std::make_unique<TxpPageControl>(form.get()).release();
    pages->setGeometry(0, 80, 300, 120);
    TxpTabSheet* shown = pages->AddPage(u"Shown");
    TxpTabSheet* hidden = pages->AddPage(u"Hidden");
    auto* shownButton = std::make_unique<QPushButton>(QStringLiteral("A"), shown).release();
    auto* hiddenButton = std::make_unique<QPushButton>(QStringLiteral("B"), hidden).release();
    pages->SetActivePage(shown);
    form->show();
    QApplication::processEvents();
    TPaintCounter counter;
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(edit), static_cast<QWidget*>(shownButton),
                       static_cast<QWidget*>(hiddenButton)})
      counter.Watch(w);

    fix.IdleStep();  // the fix takes the form up
    ASSERT_NE(std::find(fix.Forms().begin(), fix.Forms().end(), form.get()), fix.Forms().end());
    counter.Reset();
    fix.IdleStep();
    EXPECT_EQ(counter.Counts[button], 0);  // nothing pending: nothing repainted

    // The keyboard-cue event reaches the form; the next idle moment
    // repaints, once.
    QCoreApplication::postEvent(form.get(), std::make_unique<QEvent>(vxStyler::UpdateUIStateEvent()).release());
    QCoreApplication::sendPostedEvents(form.get(), vxStyler::UpdateUIStateEvent());
    fix.IdleStep();
    EXPECT_EQ(counter.Counts[button], 1);
    EXPECT_EQ(counter.Counts[shownButton], 1);
    EXPECT_EQ(counter.Counts[edit], repaintAll ? 1 : 0);  // selective: only button-like controls
    EXPECT_EQ(counter.Counts[hiddenButton], 0);           // a hidden widget paints nothing either way
    counter.Reset();
    fix.IdleStep();
    EXPECT_EQ(counter.Counts[button], 0);

    // The Alt key going down tells the form as well.
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(form.get(), &alt);
    QCoreApplication::sendPostedEvents(form.get(), vxStyler::UpdateUIStateEvent());
    counter.Reset();
    fix.IdleStep();
    EXPECT_GE(counter.Counts[button], 1);

    // A form that went is dropped at the next idle moment.
    QWidget* gone = form.get();
    form.reset();
    fix.IdleStep();
    EXPECT_EQ(std::find(fix.Forms().begin(), fix.Forms().end(), gone), fix.Forms().end());
  }
}

TEST_F(StylerTest, RepaintFixLetsTheFormGoBackWhenItEnds) {
  SetThemes(u"yes");
  QWidget form;
  form.show();
  {
    TVistaAltFix fix;
    fix.IdleStep();
    ASSERT_FALSE(fix.Forms().empty());
  }
  // The form's events reach no freed filter.
  QEvent event(vxStyler::UpdateUIStateEvent());
  QApplication::sendEvent(&form, &event);
  SUCCEED();
}

#include "vxStylerTest.moc"
