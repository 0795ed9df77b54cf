#pragma once
// The stored place of a small dialog, in twips (15 to a pixel). A coordinate
// that could not be read leaves the dialog where it opens on that axis: with
// both read it moves at once; with one read it moves on that axis only, once
// the dialog has taken its opening place (centred on its owner) as it is
// shown; with none it stays there, not in the screen's corner.
#include <QWidget>

#include <optional>

class StoredPlace {
public:
    static constexpr int TwipsPerPixel = 15;

    void load(QWidget *window, std::optional<int> leftTwips, std::optional<int> topTwips)
    {
        const auto pixels = [](std::optional<int> twips) {
            return twips ? std::optional<int>(*twips / TwipsPerPixel) : std::nullopt;
        };
        const std::optional<int> left = pixels(leftTwips), top = pixels(topTwips);
        if (left && top)
            window->move(*left, *top);
        else if (left || top) {
            m_left = left;
            m_top = top;
        }
    }
    // From the dialog's showEvent, after QDialog's own, which places it.
    void shown(QWidget *window)
    {
        if (m_left || m_top)
            window->move(m_left.value_or(window->x()), m_top.value_or(window->y()));
        m_left.reset();
        m_top.reset();
    }

private:
    std::optional<int> m_left, m_top;
};
