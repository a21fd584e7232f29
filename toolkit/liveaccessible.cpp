#include "liveaccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace toolkit {

namespace {

struct Live {
    QAccessible::Role role;
    LiveText text;
};

QHash<const QObject *, Live> &liveTexts()
{
    static QHash<const QObject *, Live> texts;
    return texts;
}

class LiveAccessible : public QAccessibleWidget {
public:
    LiveAccessible(QWidget *control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

    QString text(QAccessible::Text t) const override
    {
        const auto it = liveTexts().constFind(object());
        if (it != liveTexts().constEnd() && (t == QAccessible::Name || t == QAccessible::Description))
            return it->text(t);
        return QAccessibleWidget::text(t);
    }
};

// Asked for every class of the control's hierarchy, the most derived first.
QAccessibleInterface *liveFactory(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const auto it = liveTexts().constFind(object);
    return it == liveTexts().constEnd() ? nullptr : new LiveAccessible(static_cast<QWidget *>(object), it->role);
}

} // namespace

void setLiveAccessibleText(QWidget *control, QAccessible::Role role, LiveText text)
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(liveFactory);
        installed = true;
    }
    liveTexts().insert(control, Live{role, std::move(text)});
    QObject::connect(control, &QObject::destroyed, [control] { liveTexts().remove(control); });
}

void announceChange(QWidget *control)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent name(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
    QAccessibleEvent description(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

} // namespace toolkit
