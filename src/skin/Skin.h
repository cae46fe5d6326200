// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/SkinFile.h"
#include "skin/SkinnedWindow.h"

#include <QObject>
#include <map>
#include <memory>

// The skin engine: loads a skin file, dresses windows with its forms and turns
// mouse input on a dressed window into events on its named elements. It knows
// no widgets; a painter widget shows the window and feeds the mouse in.
//
// Problems with the skin file are reported on stderr and leave the windows
// undressed; the program carries on without a front panel.
class Skin : public QObject {
    Q_OBJECT
public:
    using WindowHandle = const QObject*;

    explicit Skin(QObject* parent = nullptr);
    ~Skin() override;

    bool LoadSkinFile(const QString& fileName);
    void SkinWindow(WindowHandle window);
    // Dresses a window given to SkinWindow with the form of that name.
    void SkinWindowAs(WindowHandle window, const QString& formName);
    // The dressed window, or nullptr when the window has no form.
    SkinnedWindow* GetSkinnedWindow(WindowHandle window) const;

    QString lastError() const { return m_lastError; }

    // Mouse input from the painter, in window coordinates. Buttons: 0 left,
    // 1 right, 2 middle.
    void mousePress(WindowHandle window, int x, int y, int button);
    void mouseMove(WindowHandle window, int x, int y);
    void mouseRelease(WindowHandle window, int x, int y, int button);
    void mouseLeave(WindowHandle window);

    // Input that does not come from the mouse (the keyboard, assistive
    // technology): a click on an element, and the slider put at a position as
    // if it had been pressed, dragged there and released. The position is
    // clipped to the slider's usable range.
    void clickElement(SkinElement* element);
    void moveSlider(SkinSlider* slider, int position);

    // For the painter: the element under the mouse and the one held down.
    SkinElement* hovered() const { return m_hovered; }
    SkinElement* pressed() const { return m_pressed; }

signals:
    void OnClick(SkinObject* source);
    void OnMouseDown(SkinObject* source, int button, int x, int y);
    void OnMouseUp(SkinObject* source, int button, int x, int y);
    void OnScrollTrack(SkinObject* source, int newPos);
    // Hover or pressed state changed over this area of a window.
    void stateChanged(WindowHandle window, const QRect& area);

private:
    void report(const QString& problem);
    void setHovered(WindowHandle window, SkinElement* element);
    void trackSlider(SkinElement* element, int x);

    SkinDocument m_document;
    bool m_loaded = false;
    QString m_lastError;
    std::map<WindowHandle, std::unique_ptr<SkinnedWindow>> m_windows;
    SkinElement* m_hovered = nullptr;
    SkinElement* m_pressed = nullptr;
    int m_pressedButton = -1;
};
