#pragma once
// What a person sees of a window's layout, for the screenshot tests of every
// window: call ExpectWholeLabels(window) once the window is shown.
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace testutil {

// Fails for every label of `window` (and, with `window` itself, for every
// control) that
// - shows a caption wider than the label (in the label's own font),
// - has its caption covered by a control stacked above it,
// - lies partly outside its container or outside the window.
inline void ExpectWholeLabels(const QWidget& window)
{
    const QRect inWindow(QPoint(0, 0), window.size());
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window || w->isHidden())
            continue;
        const std::string name = (w->objectName() + u' ' + QString::fromLatin1(w->metaObject()->className())).toStdString();
        const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
        EXPECT_TRUE(inWindow.contains(r)) << name << " lies outside the window";
        if (const QWidget* p = w->parentWidget(); p && p != &window) {
            EXPECT_TRUE(QRect(QPoint(0, 0), p->size()).contains(w->geometry())) << name << " lies outside its container";
        }

        const auto* l = qobject_cast<const QLabel*>(w);
        if (!l || l->wordWrap() || l->text().isEmpty())
            continue;
        QString shown = l->text();
        shown.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
        const int width = QFontMetrics(l->font()).horizontalAdvance(shown);
        const QRect text = l->contentsRect();
        EXPECT_LE(width, text.width()) << name << " \"" << shown.toStdString() << "\" is cut";
        // the caption as drawn, in the container's coordinates
        const bool right = l->alignment() & Qt::AlignRight;
        const QRect drawn(l->mapToParent(QPoint(right ? text.right() + 1 - width : text.left(), text.top())),
                          QSize(width, text.height()));
        const QObjectList& siblings = l->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(const_cast<QLabel*>(l)) + 1; i < siblings.size(); ++i) {
            const auto* above = qobject_cast<const QWidget*>(siblings[i]);
            if (above && !above->isWindow() && !above->isHidden()) {
                EXPECT_FALSE(above->geometry().intersects(drawn))
                    << name << " \"" << shown.toStdString() << "\" runs under " << above->objectName().toStdString();
            }
        }
    }
}

}  // namespace testutil
