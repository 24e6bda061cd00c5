#include "platform/widgets/VclAction.h"
#include "platform/widgets/VclButton.h"
#include "platform/widgets/VclForm.h"
#include "platform/widgets/VclPanel.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, std::vector<std::string>& log, std::string name)
        : TComponent(owner), Log_(log) {
        SetName(std::move(name));
    }
    ~TProbe() override { Log_.push_back(Name()); }

private:
    std::vector<std::string>& Log_;
};

class TSampleForm : public TForm {
public:
    explicit TSampleForm(TComponent* owner) : TForm(owner) {}
    std::string Secret;

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override {
        TForm::DefinePublishedStrings(list);
        list.push_back(PublishedField("Secret", Secret));
    }
};
// A control takes its parent's font, colour included, and follows it through every
// change until its own font is changed; from then on it keeps its own.
TEST(VclControlFont, ChildrenFollowTheirParentsFontUntilTheyHaveTheirOwn) {
    TComponentPtr<TForm> form = NewComponent<TForm>(nullptr);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* own = new TPanel(form.get());
    own->SetParent(panel);
    auto* follower = new TPanel(form.get());
    follower->SetParent(panel);

    own->Font().SetSize(16);
    EXPECT_FALSE(own->ParentFont());
    form->Font().SetName("DejaVu Serif");
    form->Font().SetColor(clRed);
    for (TControl* control : {static_cast<TControl*>(panel), static_cast<TControl*>(follower)}) {
        EXPECT_TRUE(control->ParentFont());
        EXPECT_EQ(control->Font().Name(), "DejaVu Serif");
        EXPECT_EQ(control->Widget()->font().family(), "DejaVu Serif");
        EXPECT_EQ(control->Widget()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
    EXPECT_EQ(own->Font().Name(), "Tahoma") << "its own font stays";
    EXPECT_EQ(own->Font().Size(), 16);

    // A control placed later takes the font at once; ParentFont brings it back.
    auto* later = new TPanel(form.get());
    later->SetParent(panel);
    EXPECT_EQ(later->Font().Color(), clRed);
    own->SetParentFont(true);
    EXPECT_EQ(own->Font().Name(), "DejaVu Serif");
    EXPECT_TRUE(own->ParentFont());
}

} // namespace

TEST(VclComponentOwnership, OwnerFreesEveryOwnedComponentOnce) {
    std::vector<std::string> log;
    {
        TProbe root(nullptr, log, "root");
        auto* a = new TProbe(&root, log, "a");
        new TProbe(a, log, "a1");
        new TProbe(&root, log, "b");
        EXPECT_EQ(root.ComponentCount(), 2);
        EXPECT_EQ(root.FindComponent("B")->Name(), "b");
        EXPECT_EQ(root.FindComponent(""), nullptr);
        delete a; // leaves the owner's list itself
        EXPECT_EQ(root.ComponentCount(), 1);
    }
    // Each destructor logs before its owned components go.
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a1", "root", "b"}));
}

TEST(VclComponentOwnership, WidgetFreedByItsParentLeavesNoDanglingControl) {
    auto form = NewComponent<TForm>(nullptr);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* button = new TButton(form.get());
    button->SetParent(panel);
    button->SetName("btn");
    delete panel; // Qt frees the button's widget with the panel's
    EXPECT_EQ(button->Widget(), nullptr);
    EXPECT_EQ(form->FindComponent("btn"), button);
    form.reset(); // frees the button without touching the freed widget
}

TEST(VclComponentClassNames, ComeFromTheTypeWithoutNamespaces) {
    auto form = NewComponent<TSampleForm>(nullptr);
    EXPECT_EQ(form->ClassName(), "TSampleForm");
    EXPECT_EQ(TButton(nullptr).ClassName(), "TButton");
}

TEST(VclComponentProperties, DerivedClassesAddTheirOwnStrings) {
    auto form = NewComponent<TSampleForm>(nullptr);
    std::vector<std::string> names;
    for (const TPublishedString& p : form->PublishedStrings())
        names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Hint", "Caption", "Secret"}));
    for (const TPublishedString& p : form->PublishedStrings())
        if (p.Name == "Secret")
            p.Set("kept");
    EXPECT_EQ(form->Secret, "kept");
}

TEST(VclActions, BoundControlFollowsTheActionAndRunsIt) {
    auto form = NewComponent<TForm>(nullptr);
    TActionList list(form.get());
    auto* action = new TAction(form.get());
    action->SetActionList(&list);
    int runs = 0;
    action->OnExecute = [&](TComponent*) { ++runs; };
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetAction(action);
    action->SetCaption("Exit");
    EXPECT_EQ(button->Caption(), "Exit");
    static_cast<QPushButton*>(button->Widget())->click();
    EXPECT_EQ(runs, 1);
    action->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(action->Execute());
    int updates = 0;
    list.OnUpdate = [&](TAction*, bool&) { ++updates; };
    list.UpdateActions();
    EXPECT_EQ(updates, 1);
    delete action;
    EXPECT_EQ(button->GetAction(), nullptr);
    EXPECT_TRUE(list.Actions().empty());
}

TEST(VclControlLayout, EdgesTakeStripsAndAnchoredControlsFollowTheRightEdge) {
    auto form = NewComponent<TForm>(nullptr);
    form->SetClientSize(300, 200);
    auto* bottom = new TPanel(form.get());
    bottom->SetParent(form.get());
    bottom->SetBounds(0, 0, 10, 40);
    bottom->SetAlign(TAlign::alBottom);
    bottom->SetBevelOuter(TBevelCut::bvNone);
    auto* client = new TPanel(form.get());
    client->SetParent(form.get());
    client->SetAlign(TAlign::alClient);
    auto* button = new TButton(form.get());
    button->SetParent(bottom);
    button->SetBounds(220, 5, 70, 25);
    button->SetAnchors({false, true, true, false});

    EXPECT_EQ(bottom->Top(), 160);
    EXPECT_EQ(bottom->Width(), 300);
    EXPECT_EQ(client->Height(), 160);
    form->SetClientSize(400, 250);
    EXPECT_EQ(bottom->Top(), 210);
    EXPECT_EQ(client->Width(), 400);
    EXPECT_EQ(button->Left(), 320);
    EXPECT_EQ(button->Width(), 70);
}
