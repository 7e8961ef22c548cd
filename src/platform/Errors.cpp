#include "platform/Errors.h"

#include <exception>

namespace bv {

QString DescribeCurrentException()
{
    if (!std::current_exception())
        return QString();
    try {
        throw;
    } catch (const Exception& e) {
        // The message as written; what() holds it re-encoded.
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Nothing to describe: the caller words the failure without a reason.
        return QString();
    }
}

} // namespace bv
