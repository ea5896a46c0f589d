#pragma once

#include <QString>

// Every place on disk the program uses. The program's folder is C:\VEXARO on
// Windows and ~/VEXARO elsewhere; VEXARO_HOME moves it (tests, several shops
// on one machine).
namespace Paths {

QString home();            // VEXARO
QString databaseFolder();  // VEXARO/Database
QString databaseFile();    // VEXARO/Database/CD.db
QString errorLog();        // VEXARO/LOG.Txt
QString backupFolder();    // VEXAROYedek beside VEXARO
QString cameraPicture();   // VEXARO/Deneme.jpg

} // namespace Paths
