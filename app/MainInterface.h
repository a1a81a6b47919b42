#pragma once

#include "app/VelmoraAppDelegate.h"

#include "face/FaceDetector.h"

#include <QStringList>
#include <memory>

/// Creates what the main interface holds (the window, the delegate, the screen's
/// controller and its elements), binds the delegate's outlets to the controller's
/// elements and connects the window's drops and the album's failures to the screen.
/// The launch callback is left to the caller.
/// `platform`, when given, is the desktop's file chooser and cameras for the application's
/// life; without one, whatever PickerPlatform::current() is stays in use (tests' fakes).
/// `faces` finds the faces the screen fits photos to, read on the first fit, off the GUI
/// thread.
std::unique_ptr<VelmoraAppDelegate>
loadMainInterface(std::unique_ptr<toolkit::PickerPlatform> platform,
                  std::shared_ptr<const toolkit::FaceDetector> faces);
/// The same with the face detector of the resources folder (DefaultMainInterface.cpp: apart,
/// so that the window module, which is handed the executable's detector, links none).
std::unique_ptr<VelmoraAppDelegate>
loadMainInterface(std::unique_ptr<toolkit::PickerPlatform> platform = nullptr);

/// Gives the application's windows its icon, from the resources folder.
void setApplicationIcon();

/// Opens the first of `paths` as if it had been chosen from the album (a drop, the command
/// line). The window says why a photo cannot be used, and that the others were left when
/// there were several.
void openPhotoFiles(VelmoraAppDelegate& app, const QStringList& paths);
