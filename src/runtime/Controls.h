#pragma once

#include "runtime/core/Twips.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tolvar::rt {

class Form;

// A control of a form. The forms properties are Qt properties under the names the program's
// code uses, so code that knows a control only by its class can still read and write them by
// name. Geometry is in twips relative to the form's client area and is kept exactly as
// written; the widget shows it rounded to whole pixels.
class Control : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ name CONSTANT)
    Q_PROPERTY(int Index READ index CONSTANT)
    Q_PROPERTY(float Left READ left WRITE setLeft)
    Q_PROPERTY(float Top READ top WRITE setTop)
    Q_PROPERTY(float Width READ width WRITE setWidth)
    Q_PROPERTY(float Height READ height WRITE setHeight)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(int TabIndex READ tabIndex WRITE setTabIndex)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)

public:
    ~Control() override;

    // The class name the forms run-time gives this kind of control ("Label", "CheckBox", ...).
    virtual QString className() const = 0;

    QString name() const { return name_; }
    // The element's index in its control array, or -1 for a single control.
    int index() const { return index_; }
    Form* form() const { return form_; }
    // The object the control sits in: the form, for every control of this program; a control
    // that sits inside another one (a frame, a tabbed dialog) names that one.
    virtual QObject* container() const;
    QWidget* widget() const { return widget_; }

    float left() const { return geometry_.left; }
    float top() const { return geometry_.top; }
    float width() const { return geometry_.width; }
    float height() const { return geometry_.height; }
    virtual void setLeft(float twips);
    virtual void setTop(float twips);
    virtual void setWidth(float twips);
    virtual void setHeight(float twips);
    // Moves and sizes in one step; values left out keep their setting.
    void move(float left, std::optional<float> top = std::nullopt,
              std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt);

    bool isEnabled() const;
    void setEnabled(bool enabled);
    bool isVisible() const { return visible_; }
    void setVisible(bool visible);
    int tabIndex() const;
    void setTabIndex(int index);
    QColor backColor() const;
    void setBackColor(const QColor& color);
    void setFocus();
    bool canTakeFocus() const;

    // Takes element 0's design properties, for an element loaded at run time.
    void copyDesignFrom(const Control& model);

signals:
    void Click();

protected:
    Control(Form* form, const QString& name, int index, QWidget* widget);
    // Recomputes the widget's pixel geometry from the twips held.
    void applyGeometry();
    void setSizeFromContent(float width, float height);

private:
    Form* form_;
    QString name_;
    int index_;
    QWidget* widget_;
    TwipsRect geometry_;
    bool visible_ = true;
};

// A control that draws text and carries a font.
class TextControl : public Control {
    Q_OBJECT
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ fontBold WRITE setFontBold)
    Q_PROPERTY(QColor ForeColor READ foreColor WRITE setForeColor)

public:
    QString fontName() const;
    void setFontName(const QString& family);
    // Reading the size back gives the size the control really uses.
    double fontSize() const;
    void setFontSize(double points);
    bool fontBold() const;
    void setFontBold(bool bold);
    QColor foreColor() const;
    void setForeColor(const QColor& color);

protected:
    using Control::Control;
    virtual void fontChanged() {}
};

class Label : public TextControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(int Alignment READ alignment WRITE setAlignment)

public:
    Label(Form* form, const QString& name, int index = -1);
    QString className() const override { return QStringLiteral("Label"); }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    int alignment() const { return alignment_; }
    void setAlignment(int alignment);
    void setWidth(float twips) override;

protected:
    void fontChanged() override;

private:
    // A self-sizing label takes the size of its text: without word wrap as wide as its
    // widest line, with word wrap as tall as its text wrapped at the width it has.
    void fitToText();
    QLabel* label() const;

    QString caption_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    int alignment_ = 0;
};

class CheckBox : public TextControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(int Value READ value WRITE setValue)

public:
    CheckBox(Form* form, const QString& name, int index = -1);
    QString className() const override { return QStringLiteral("CheckBox"); }

    QString caption() const;
    void setCaption(const QString& caption);
    // 0 unticked, 1 ticked, 2 grey. Every change of the value fires Click.
    int value() const;
    void setValue(int value);

private:
    QCheckBox* box() const;
};

class TextBox : public TextControl {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)

public:
    TextBox(Form* form, const QString& name, int index = -1);
    QString className() const override { return QStringLiteral("TextBox"); }

    QString text() const;
    void setText(const QString& text);

private:
    QLineEdit* edit() const;
};

class CommandButton : public TextControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QIcon Picture READ picture WRITE setPicture)

public:
    CommandButton(Form* form, const QString& name, int index = -1);
    QString className() const override { return QStringLiteral("CommandButton"); }

    QString caption() const;
    void setCaption(const QString& caption);
    QIcon picture() const;
    void setPicture(const QIcon& picture);

private:
    QPushButton* button() const;
};

// A picture that fills its rectangle; it has no font and never takes the focus.
class Image : public Control {
    Q_OBJECT
    Q_PROPERTY(QIcon Picture READ picture WRITE setPicture)

public:
    Image(Form* form, const QString& name, int index = -1);
    QString className() const override { return QStringLiteral("Image"); }

    QIcon picture() const { return picture_; }
    void setPicture(const QIcon& picture);
    void setWidth(float twips) override;
    void setHeight(float twips) override;

private:
    void showPicture();
    QIcon picture_;
};

} // namespace tolvar::rt
