#include "ApplicationMain.h"
#include "Automation_Entry.h"
#include "QAxDefaultFactory.h"

int main(int argc, char* argv[])
{
    return Automation_Entry::run(argc, argv, createAxFactory, applicationMain);
}
