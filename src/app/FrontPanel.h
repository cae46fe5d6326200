// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/Skin.h"

#include <memory>
#include <vector>

// The front panel's display elements, looked up once when the main window is
// first shown and kept for the whole run. When the skin lacks one of them a
// detached stand-in takes its place, so the operations that update the panel
// never meet a missing element; the stand-in is simply not shown.
class FrontPanel {
public:
    FrontPanel();
    ~FrontPanel();

    // Loads the skin, dresses the window with the form "Vessimo" and looks up
    // the display elements; then shows the empty panel.
    void SetupFrontPanel(Skin& skin, Skin::WindowHandle window, const QString& skinFile);

    // Progress in hundredths of a percent; moves the right edge of "convertpb".
    // `wide` is the VSM/Skin option: 501 pixels for 100 % instead of 454.
    void SetConversionBar(int progress, bool wide);

    SkinScroller& pb() const { return *m_pbScroller; }
    SkinFrame& pbFrame() const { return *m_pbFrame; }
    SkinText& timecaption() const { return *m_timecaption.text; }
    SkinFrame& timecaptionFrame() const { return *m_timecaption.frame; }
    SkinText& tataltime() const { return *m_tataltime.text; }
    SkinFrame& tataltimeFrame() const { return *m_tataltime.frame; }
    SkinText& pbpos() const { return *m_pbpos.text; }
    SkinFrame& pbposFrame() const { return *m_pbpos.frame; }
    SkinFrame& convertpb() const { return *m_convertpb; }
    SkinRect conversionBarRect() const { return m_barRect; }

private:
    struct TextElement {
        SkinText* text = nullptr;
        SkinFrame* frame = nullptr;
    };

    void lookUpElements(SkinnedWindow* window);
    SkinElement* lookUp(SkinnedWindow* window, const QString& name, SkinKind kind);
    TextElement lookUpText(SkinnedWindow* window, const QString& name);

    std::vector<std::unique_ptr<SkinElement>> m_standIns;
    SkinScroller* m_pbScroller = nullptr;
    SkinFrame* m_pbFrame = nullptr;
    TextElement m_timecaption;
    TextElement m_tataltime;
    TextElement m_pbpos;
    SkinFrame* m_convertpb = nullptr;
    SkinRect m_barRect;
};
