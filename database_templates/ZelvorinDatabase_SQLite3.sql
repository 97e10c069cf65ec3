-- Schema of a new zelvorin results database (SQLite3), version 4.
-- Each statement ends with a line that holds only ";".
-- Keys are assigned by the database and never reused, so a deleted rack's picture file
-- name is never given to a new rack. Containers go with their rack and colonies with their
-- container (ON DELETE CASCADE; the connection switches foreign keys on). A rack's
-- ImageStitcherID has no foreign key: -1 means none.
CREATE TABLE [ZelvorinDatabaseVersion] (
    [Version] INTEGER NOT NULL
)
;
INSERT INTO [ZelvorinDatabaseVersion] ([Version]) VALUES (4)
;
CREATE TABLE [ZelvorinRack] (
    [RackID] INTEGER PRIMARY KEY AUTOINCREMENT,
    [CreatedDate] DATETIME NOT NULL,
    [RackBarcode] TEXT NOT NULL DEFAULT '',
    [XMLSettings] BLOB,
    [XMLCameraSettings] BLOB,
    [XMLColonySettings] BLOB,
    [ReferencePointsCorrection] BLOB,
    [PictureFilePath] TEXT NOT NULL DEFAULT '',
    [ColorModel] INTEGER NOT NULL DEFAULT 0,
    [ErrorCode] INTEGER NOT NULL DEFAULT 0,
    [Description] TEXT NOT NULL DEFAULT '',
    [ImageStitcherID] INTEGER NOT NULL DEFAULT -1,
    [ReferenzPos1X] REAL NOT NULL DEFAULT 0,
    [ReferenzPos1Y] REAL NOT NULL DEFAULT 0,
    [ReferenzPos2X] REAL NOT NULL DEFAULT 0,
    [ReferenzPos2Y] REAL NOT NULL DEFAULT 0,
    [ReferenzPos3X] REAL NOT NULL DEFAULT 0,
    [ReferenzPos3Y] REAL NOT NULL DEFAULT 0,
    [ReferenzPos4X] REAL NOT NULL DEFAULT 0,
    [ReferenzPos4Y] REAL NOT NULL DEFAULT 0
)
;
CREATE INDEX [IX_ZelvorinRack_CreatedDate] ON [ZelvorinRack] ([CreatedDate])
;
-- LIKE compares without case in SQLite; an index in the same collation serves it.
CREATE INDEX [IX_ZelvorinRack_RackBarcode] ON [ZelvorinRack] ([RackBarcode] COLLATE NOCASE)
;
CREATE TABLE [ZelvorinContainer] (
    [ContainerID] INTEGER PRIMARY KEY AUTOINCREMENT,
    [RackID] INTEGER NOT NULL REFERENCES [ZelvorinRack] ([RackID]) ON DELETE CASCADE,
    [ContainerNumber] INTEGER NOT NULL DEFAULT 0,
    [ContainerName] TEXT NOT NULL DEFAULT '',
    [PickingOrder] INTEGER NOT NULL DEFAULT 0,
    [ErrorCode] INTEGER NOT NULL DEFAULT 0,
    [Description] TEXT NOT NULL DEFAULT ''
)
;
CREATE INDEX [IX_ZelvorinContainer_RackID] ON [ZelvorinContainer] ([RackID], [PickingOrder])
;
CREATE TABLE [ZelvorinColony] (
    [ColonyID] INTEGER PRIMARY KEY AUTOINCREMENT,
    [ContainerID] INTEGER NOT NULL REFERENCES [ZelvorinContainer] ([ContainerID]) ON DELETE CASCADE,
    [PosX_px] REAL NOT NULL DEFAULT 0,
    [PosY_px] REAL NOT NULL DEFAULT 0,
    [PosX_mm] REAL NOT NULL DEFAULT 0,
    [PosY_mm] REAL NOT NULL DEFAULT 0,
    [Area_mm2] REAL NOT NULL DEFAULT 0,
    [Circularity] REAL NOT NULL DEFAULT 0,
    [ClearanceNeighbor_mm] REAL NOT NULL DEFAULT 0,
    [ClearanceMargin_mm] REAL NOT NULL DEFAULT 0,
    [LoadingArea_pct] REAL NOT NULL DEFAULT 0,
    [LoadingCircularity_pct] REAL NOT NULL DEFAULT 0,
    [LoadingClearanceNeighbor_pct] REAL NOT NULL DEFAULT 0,
    [LoadingClearanceMargin_pct] REAL NOT NULL DEFAULT 0,
    [LoadingTotal_pct] REAL NOT NULL DEFAULT 0,
    [ColorHue] REAL NOT NULL DEFAULT 0,
    [ColorSaturation] REAL NOT NULL DEFAULT 0,
    [ColorIntensity] REAL NOT NULL DEFAULT 0,
    [ColorArea_pct] REAL NOT NULL DEFAULT 0,
    [ColorRed] REAL NOT NULL DEFAULT 0,
    [ColorGreen] REAL NOT NULL DEFAULT 0,
    [ColorBlue] REAL NOT NULL DEFAULT 0,
    [PickingDate] DATETIME NOT NULL,
    [PickingState] INTEGER NOT NULL DEFAULT 0,
    [IsExcluded] INTEGER NOT NULL DEFAULT 0,
    [IsGoodColony] INTEGER NOT NULL DEFAULT 0,
    [PickingOrder] INTEGER NOT NULL DEFAULT 0,
    [IsUserEdited] INTEGER NOT NULL DEFAULT 0,
    [ErrorCode] INTEGER NOT NULL DEFAULT 0,
    [Description] TEXT NOT NULL DEFAULT ''
)
;
CREATE INDEX [IX_ZelvorinColony_ContainerID] ON [ZelvorinColony] ([ContainerID], [PickingOrder])
;
CREATE TABLE [ZelvorinImageStitcher] (
    [ImageStitcherID] INTEGER PRIMARY KEY AUTOINCREMENT,
    [CreatedDate] DATETIME NOT NULL,
    [RackBarcode] TEXT NOT NULL DEFAULT '',
    [ImageStitcherSettings] BLOB,
    [ReferencePointsCorrection] BLOB,
    [PictureFilePath] TEXT NOT NULL DEFAULT '',
    [ErrorCode] INTEGER NOT NULL DEFAULT 0,
    [Description] TEXT NOT NULL DEFAULT ''
)
;
CREATE INDEX [IX_ZelvorinImageStitcher_CreatedDate] ON [ZelvorinImageStitcher] ([CreatedDate])
;
CREATE INDEX [IX_ZelvorinImageStitcher_RackBarcode] ON [ZelvorinImageStitcher] ([RackBarcode] COLLATE NOCASE)
;
CREATE TABLE [ZelvorinImageStitcherPicture] (
    [ImageStitcherPictureID] INTEGER PRIMARY KEY AUTOINCREMENT,
    [ImageStitcherID] INTEGER NOT NULL REFERENCES [ZelvorinImageStitcher] ([ImageStitcherID]) ON DELETE CASCADE,
    [PositionIndex] INTEGER NOT NULL DEFAULT 0,
    [PictureFilePath] TEXT NOT NULL DEFAULT ''
)
;
CREATE INDEX [IX_ZelvorinImageStitcherPicture_ImageStitcherID] ON [ZelvorinImageStitcherPicture] ([ImageStitcherID], [PositionIndex])
;
