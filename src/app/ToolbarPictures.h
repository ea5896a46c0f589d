#pragma once

// The program's set of toolbar and menu pictures (16 x 16), by name, handed
// to the window kit at start-up. Names: new, save, delete, cancel, post,
// return, print, navigator, exchange, statistics, back, forward, end, edit, exit, check, help,
// archive, rent, titles, cashbox, service, about, information, warning,
// error, question, folder, up, down, chart, stop, customers, link, reset.
void installToolbarPictures();
