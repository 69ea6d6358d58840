"""The declarations of quillet.h: FUNCTIONS (name -> result type, parameters) and STATUSES.

The build generates them into _signatures.py. Straight from a source checkout, without a build,
the header itself is read (QUILLET_HEADER, or include/quillet.h of the checkout).
"""
import os
from pathlib import Path

try:
    from ._signatures import FUNCTIONS, STATUSES
except ImportError:
    from . import _header

    _path = Path(os.environ.get("QUILLET_HEADER") or Path(__file__).resolve().parents[2] / "include" / "quillet.h")
    _text = _path.read_text(encoding="utf-8")
    FUNCTIONS = _header.functions(_text)
    STATUSES = _header.statuses(_text)
