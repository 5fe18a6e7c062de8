#include "support/window_texts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace vx::test {

QStringList ClippedTexts(QWidget *root) {
  QStringList clipped;
  const auto check = [&clipped](const QString &text, int needed, int given) {
    if (needed > given)
      clipped << QStringLiteral("%1: %2 > %3").arg(text).arg(needed).arg(given);
  };
  const auto shown = [root](QWidget *widget) { return widget->isVisibleTo(root); };
  for (QLabel *label : root->findChildren<QLabel *>()) {
    if (!shown(label) || label->text().isEmpty() || label->wordWrap())
      continue;
    const QString text = label->buddy() ? QString(label->text()).remove('&') : label->text();
    check(text, label->fontMetrics().horizontalAdvance(text), label->contentsRect().width());
    check(text + " (height)", label->fontMetrics().height(), label->contentsRect().height());
  }
  for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
    const QString text = QString(button->text()).remove('&');
    if (!shown(button) || text.isEmpty())
      continue;
    if (qobject_cast<QPushButton *>(button)) {
      QStyle *style = button->style();
      const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                          2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
      check(text, button->fontMetrics().horizontalAdvance(text) + margins, button->width());
    } else {
      check(text, button->sizeHint().width(), button->width());
    }
  }
  for (QGroupBox *box : root->findChildren<QGroupBox *>()) {
    if (shown(box) && !box->title().isEmpty())
      check(box->title(), box->fontMetrics().horizontalAdvance(box->title()) + 16, box->width());
  }
  for (QTabWidget *tabs : root->findChildren<QTabWidget *>()) {
    if (shown(tabs))
      check("the tabs", tabs->tabBar()->sizeHint().width(), tabs->width());
  }
  for (QHeaderView *header : root->findChildren<QHeaderView *>()) {
    if (!shown(header))
      continue;
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
      const QString text = header->model()->headerData(i, header->orientation()).toString();
      check(text, header->fontMetrics().horizontalAdvance(text) + margins, header->sectionSize(i));
    }
  }
  return clipped;
}

void LookAt(QWidget *window, const QString &name) {
  const QStringList clipped = ClippedTexts(window);
  EXPECT_TRUE(clipped.isEmpty()) << name.toStdString() << ": " << clipped.join("; ").toStdString();
  const QString folder = qEnvironmentVariable("VORNIX_SCREENSHOTS");
  if (!folder.isEmpty()) {
    EXPECT_TRUE(window->grab().save(folder + "/" + name + ".png"));
  }
}

} // namespace vx::test
