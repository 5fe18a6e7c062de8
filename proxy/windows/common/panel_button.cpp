#include "proxy/windows/common/panel_button.h"

#include <QLayout>
#include <QStringList>
#include <QToolButton>

namespace ql {

QToolButton *AddPanelButton(QWidget &panel, const QString &text, const QString &hint, QObject *filter) {
  auto *button = new QToolButton(&panel);
  const QStringList parts = hint.split(QLatin1Char('|'));
  button->setText(text);
  button->setToolTip(parts.value(0));
  button->setStatusTip(parts.value(1));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  if (filter != nullptr)
    button->installEventFilter(filter);
  panel.layout()->addWidget(button);
  return button;
}

} // namespace ql
