"""The pure-Python foundations of the vireo module: its exceptions and the base
class of every code list. The extension module builds on them."""
import enum

__all__ = ["VbError", "CodeError", "CodeList"]


class VbError(Exception):
    """A run-time error of the control, with the Visual Basic error number the
    control reports it under (``number``, e.g. 52 "Bad file name or number",
    61 "Disk full") and that number's standard text (``description``). The
    message names what failed."""

    def __init__(self, number: int, message: str, description: str = "") -> None:
        super().__init__(message)
        self.number = number
        self.description = description

    def __reduce__(self):
        return (type(self), (self.number, str(self), self.description))


class CodeError(VbError, ValueError):
    """A code field was given a code that is not in its code list (error 380,
    "Invalid property value"). The message names the field, the list and the
    codes it holds; the field keeps its value."""


class CodeList(enum.IntEnum):
    """A code list of the catalogue. Each member keeps its documented name
    (``val_<code>_<description>...``) and holds the Code value of its code: the
    code's ASCII bytes read as a big-endian integer ("837" is 0x383337).
    ``member.code`` is the code text; ``List("837")`` finds a member by it."""

    @property
    def code(self) -> str:
        """The code text, as written to the file."""
        value = int(self)
        return value.to_bytes(4, "big").lstrip(b"\0").decode("latin-1")

    @classmethod
    def _missing_(cls, value):
        if isinstance(value, str):
            for member in cls:
                if member.code == value:
                    return member
        return None


# They are vireo's own: shown as vireo.VbError, pickled by that name.
for _cls in (VbError, CodeError, CodeList):
    _cls.__module__ = "vireo"
del _cls
