#include "QuilletApplication.h"

#include "MessageSink.h"
#include "QuilletError.h"

QuilletApplication::QuilletApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{ }

bool QuilletApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const QuilletError& error) {
        MessageSink::current().showMessage(error.text());
    } catch (const std::exception& error) {
        MessageSink::current().showMessage(QString::fromLocal8Bit(error.what()));
    }
    return true;
}
