#include "Errors.h"
Errors::Errors(CallbackFunctions*, QObject* parent) : QObject(parent) {}
Errors::~Errors() = default;
QString Errors::getErrorText(Errors::Type_Error) { return {}; }
