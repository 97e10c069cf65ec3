-- Schema of a new zelvorin results database (Microsoft SQL Server), version 4.
-- Run on the new, empty database; each statement ends with a line that holds only "GO".
-- Keys are identity columns. Containers go with their rack and colonies with their container
-- (ON DELETE CASCADE). A rack's ImageStitcherID has no foreign key: -1 means none.
-- Barcodes and container names are searched and indexed, so they are bounded to 255
-- characters (the program refuses longer ones); the long texts are stored as UTF-8 bytes.
CREATE TABLE [ZelvorinDatabaseVersion] (
    [Version] INT NOT NULL
)
GO
INSERT INTO [ZelvorinDatabaseVersion] ([Version]) VALUES (4)
GO
CREATE TABLE [ZelvorinRack] (
    [RackID] INT IDENTITY(1,1) NOT NULL CONSTRAINT [PK_ZelvorinRack] PRIMARY KEY,
    [CreatedDate] DATETIME2(0) NOT NULL,
    [RackBarcode] NVARCHAR(255) NOT NULL CONSTRAINT [DF_ZelvorinRack_RackBarcode] DEFAULT N'',
    [XMLSettings] VARBINARY(MAX) NULL,
    [XMLCameraSettings] VARBINARY(MAX) NULL,
    [XMLColonySettings] VARBINARY(MAX) NULL,
    [ReferencePointsCorrection] VARBINARY(MAX) NULL,
    [PictureFilePath] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinRack_PictureFilePath] DEFAULT N'',
    [ColorModel] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinRack_ColorModel] DEFAULT 0,
    [ErrorCode] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinRack_ErrorCode] DEFAULT 0,
    [Description] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinRack_Description] DEFAULT N'',
    [ImageStitcherID] INT NOT NULL CONSTRAINT [DF_ZelvorinRack_ImageStitcherID] DEFAULT -1,
    [ReferenzPos1X] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos1X] DEFAULT 0,
    [ReferenzPos1Y] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos1Y] DEFAULT 0,
    [ReferenzPos2X] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos2X] DEFAULT 0,
    [ReferenzPos2Y] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos2Y] DEFAULT 0,
    [ReferenzPos3X] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos3X] DEFAULT 0,
    [ReferenzPos3Y] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos3Y] DEFAULT 0,
    [ReferenzPos4X] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos4X] DEFAULT 0,
    [ReferenzPos4Y] FLOAT NOT NULL CONSTRAINT [DF_ZelvorinRack_ReferenzPos4Y] DEFAULT 0
)
GO
CREATE INDEX [IX_ZelvorinRack_CreatedDate] ON [ZelvorinRack] ([CreatedDate])
GO
CREATE INDEX [IX_ZelvorinRack_RackBarcode] ON [ZelvorinRack] ([RackBarcode])
GO
CREATE TABLE [ZelvorinContainer] (
    [ContainerID] INT IDENTITY(1,1) NOT NULL CONSTRAINT [PK_ZelvorinContainer] PRIMARY KEY,
    [RackID] INT NOT NULL CONSTRAINT [FK_ZelvorinContainer_ZelvorinRack]
        FOREIGN KEY REFERENCES [ZelvorinRack] ([RackID]) ON DELETE CASCADE,
    [ContainerNumber] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinContainer_ContainerNumber] DEFAULT 0,
    [ContainerName] NVARCHAR(255) NOT NULL CONSTRAINT [DF_ZelvorinContainer_ContainerName] DEFAULT N'',
    [PickingOrder] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinContainer_PickingOrder] DEFAULT 0,
    [ErrorCode] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinContainer_ErrorCode] DEFAULT 0,
    [Description] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinContainer_Description] DEFAULT N''
)
GO
CREATE INDEX [IX_ZelvorinContainer_RackID] ON [ZelvorinContainer] ([RackID], [PickingOrder])
GO
CREATE TABLE [ZelvorinColony] (
    [ColonyID] INT IDENTITY(1,1) NOT NULL CONSTRAINT [PK_ZelvorinColony] PRIMARY KEY,
    [ContainerID] INT NOT NULL CONSTRAINT [FK_ZelvorinColony_ZelvorinContainer]
        FOREIGN KEY REFERENCES [ZelvorinContainer] ([ContainerID]) ON DELETE CASCADE,
    [PosX_px] FLOAT NOT NULL,
    [PosY_px] FLOAT NOT NULL,
    [PosX_mm] FLOAT NOT NULL,
    [PosY_mm] FLOAT NOT NULL,
    [Area_mm2] FLOAT NOT NULL,
    [Circularity] FLOAT NOT NULL,
    [ClearanceNeighbor_mm] FLOAT NOT NULL,
    [ClearanceMargin_mm] FLOAT NOT NULL,
    [LoadingArea_pct] FLOAT NOT NULL,
    [LoadingCircularity_pct] FLOAT NOT NULL,
    [LoadingClearanceNeighbor_pct] FLOAT NOT NULL,
    [LoadingClearanceMargin_pct] FLOAT NOT NULL,
    [LoadingTotal_pct] FLOAT NOT NULL,
    [ColorHue] FLOAT NOT NULL,
    [ColorSaturation] FLOAT NOT NULL,
    [ColorIntensity] FLOAT NOT NULL,
    [ColorArea_pct] FLOAT NOT NULL,
    [ColorRed] FLOAT NOT NULL,
    [ColorGreen] FLOAT NOT NULL,
    [ColorBlue] FLOAT NOT NULL,
    [PickingDate] DATETIME2(0) NOT NULL,
    [PickingState] SMALLINT NOT NULL,
    [IsExcluded] BIT NOT NULL,
    [IsGoodColony] BIT NOT NULL,
    [PickingOrder] INT NOT NULL,
    [IsUserEdited] BIT NOT NULL,
    [ErrorCode] SMALLINT NOT NULL,
    [Description] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinColony_Description] DEFAULT N''
)
GO
CREATE INDEX [IX_ZelvorinColony_ContainerID] ON [ZelvorinColony] ([ContainerID], [PickingOrder])
GO
CREATE TABLE [ZelvorinImageStitcher] (
    [ImageStitcherID] INT IDENTITY(1,1) NOT NULL CONSTRAINT [PK_ZelvorinImageStitcher] PRIMARY KEY,
    [CreatedDate] DATETIME2(0) NOT NULL,
    [RackBarcode] NVARCHAR(255) NOT NULL CONSTRAINT [DF_ZelvorinImageStitcher_RackBarcode] DEFAULT N'',
    [ImageStitcherSettings] VARBINARY(MAX) NULL,
    [ReferencePointsCorrection] VARBINARY(MAX) NULL,
    [PictureFilePath] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinImageStitcher_PictureFilePath] DEFAULT N'',
    [ErrorCode] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinImageStitcher_ErrorCode] DEFAULT 0,
    [Description] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinImageStitcher_Description] DEFAULT N''
)
GO
CREATE INDEX [IX_ZelvorinImageStitcher_CreatedDate] ON [ZelvorinImageStitcher] ([CreatedDate])
GO
CREATE INDEX [IX_ZelvorinImageStitcher_RackBarcode] ON [ZelvorinImageStitcher] ([RackBarcode])
GO
CREATE TABLE [ZelvorinImageStitcherPicture] (
    [ImageStitcherPictureID] INT IDENTITY(1,1) NOT NULL CONSTRAINT [PK_ZelvorinImageStitcherPicture] PRIMARY KEY,
    [ImageStitcherID] INT NOT NULL CONSTRAINT [FK_ZelvorinImageStitcherPicture_ZelvorinImageStitcher]
        FOREIGN KEY REFERENCES [ZelvorinImageStitcher] ([ImageStitcherID]) ON DELETE CASCADE,
    [PositionIndex] SMALLINT NOT NULL CONSTRAINT [DF_ZelvorinImageStitcherPicture_PositionIndex] DEFAULT 0,
    [PictureFilePath] NVARCHAR(MAX) NOT NULL CONSTRAINT [DF_ZelvorinImageStitcherPicture_PictureFilePath] DEFAULT N''
)
GO
CREATE INDEX [IX_ZelvorinImageStitcherPicture_ImageStitcherID] ON [ZelvorinImageStitcherPicture] ([ImageStitcherID], [PositionIndex])
GO
