#pragma once

#include "runtime/core/Twips.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

namespace tolvar::rt {

class Control;

// Who asks a form to unload.
enum UnloadReason {
    UnloadByUser = 0,        // close box, system menu or its shortcut
    UnloadByCode = 1,        // the program's own unload
    UnloadBySession = 2,     // the session ends
    UnloadByTaskManager = 3, // another program asks the window to close
    UnloadByOwner = 5,       // the owner window goes
};

// A window of the forms run-time: a fixed-size top-level window whose geometry is in twips
// (Left, Top, Width and Height are its outer size, frame and caption included), with its
// controls in creation order, a tab order by tab index, key preview and query-unload.
class Form : public QWidget {
    Q_OBJECT
    Q_PROPERTY(float Left READ left WRITE setLeft)
    Q_PROPERTY(float Top READ top WRITE setTop)
    Q_PROPERTY(float Width READ width WRITE setWidth)
    Q_PROPERTY(float Height READ height WRITE setHeight)
    Q_PROPERTY(float ScaleWidth READ scaleWidth)
    Q_PROPERTY(float ScaleHeight READ scaleHeight)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(bool KeyPreview READ keyPreview WRITE setKeyPreview)
    Q_PROPERTY(int Count READ count)

public:
    ~Form() override;

    // Runs Form_Load once; the window is not shown.
    void load();
    bool isLoaded() const { return loaded_; }
    // Loads if needed and shows the window, centred on the screen the first time.
    void showForm();
    // Loads if needed and shows the window modally over `owner` (centred over it; over the
    // screen without one). Returns once the window has been unloaded.
    void showModal(QWidget* owner);
    // Asks the window to go; Form_QueryUnload may refuse. Returns whether it went.
    bool unload(UnloadReason reason = UnloadByCode);

    float left() const;
    float top() const;
    float width() const;
    float height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void move(float left, std::optional<float> top = std::nullopt,
              std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt);
    float scaleWidth() const;
    float scaleHeight() const;
    // Sets the outer size from the client area the design gives.
    void setClientSize(float widthTwips, float heightTwips);

    QString caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    QColor backColor() const;
    void setBackColor(const QColor& color);
    bool keyPreview() const { return keyPreview_; }
    void setKeyPreview(bool on) { keyPreview_ = on; }
    // Without a close box the window can only be left through its own controls.
    void setCloseBoxEnabled(bool enabled);
    bool closeBoxEnabled() const;

    // The control collection, in creation order.
    int count() const { return static_cast<int>(controls_.size()); }
    Control* control(int index) const;
    const std::vector<Control*>& controls() const { return controls_; }

    // Tab order: setting a control's index moves it to that place and shifts the others.
    int tabIndexOf(const Control* control) const;
    void setTabIndexOf(Control* control, int index);
    // The control that receives the focus when the window is shown.
    Control* firstInTabOrder() const;

signals:
    void unloaded();

protected:
    explicit Form(const QString& name);

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(bool& cancel, UnloadReason reason);
    virtual void Form_KeyPress(int& keyAscii);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Control;
    void addControl(Control* control);
    void removeControl(Control* control);
    void applyTabOrder();
    // Takes the place only when it converts to pixels, so a refused one leaves the window as it
    // was.
    void setPlace(const TwipsRect& place);
    void centreOver(const QWidget* owner);

    std::vector<Control*> controls_;
    std::vector<Control*> tabOrder_;
    TwipsRect place_;
    bool loaded_ = false;
    bool placed_ = false;
    // The native window whose system menu has lost its close command.
    WId menuStrippedWindow_ = 0;
    bool keyPreview_ = false;
};

} // namespace tolvar::rt
