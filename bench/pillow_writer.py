# The stand-in for what users run without Duskweave: one Python process per
# archive, writing every BMP image of the archive's exported folder as a
# palettised PNG with Pillow (Debian python3-pil). bench/paths.cpp times it.
#   python3 pillow_writer.py SOURCE_FOLDER DESTINATION_FOLDER
import os
import sys

from PIL import Image

source, destination = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(source)):
    if name.endswith(".bmp"):
        Image.open(os.path.join(source, name)).save(os.path.join(destination, name[:-4] + ".png"))
