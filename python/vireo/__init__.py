"""vireo: health-care claim files in the ASC X12 837 Professional format, 4010
(implementation guide 004010X098A1) and 5010 (005010X222A1), written through
the object model of the vireo claim-writer control.

Each catalogue is a submodule with its own control, segment classes and code
lists: ``vireo.professional_4010`` and ``vireo.professional_5010``. The 4010
one is also the top level, so ``vireo.Vireo`` is the 4010 control.

    import vireo

    ctl = vireo.Vireo()                       # "*", ":", "~"; errors reach Python
    ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
    with ctl.open("claims.837"):              # appears only once complete
        st = ctl.L1_ST_00_TransSetHeader
        st.set(m01_TransSetIdentCode=vireo.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3,
               m02_TransSetControlNum="0001").Additem()      # ST*837*0001~
        ...

Every segment class (``L2300_CLM_00``...) has a field per element; code fields
take a member of their code list (an ``enum.IntEnum`` subclass of
``CodeList``), the code text ("837") or None. ``BeforeAdd`` handlers are
callables taking one argument with ``SegValue``, ``SegCount`` and ``bCancel``.
A control belongs to the thread that created it: for many files at once, use a
control per thread or per process. A control takes segment objects of its own
catalogue only.

Defaults of ``Vireo()``: ``ErrorTrap`` is on, so that every error reaches
Python as ``VbError`` (passed over, a file that failed to open would lose
every segment without a word; ``error_trap=False`` is the control's own way).
``StrictValues`` is off, as in C++, so that host code ported line by line
writes the same bytes; ``strict_values=True`` refuses a value holding a
delimiter (``O*BRIEN``) instead of writing it unchanged. A code outside its
list is refused either way, when it is assigned: the error names the list and
nothing is written.
"""
from ._base import CodeError, CodeList, VbError
from ._vireo import *  # noqa: F401,F403  the control, the segment classes and the code lists
from . import _vireo

__version__ = _vireo.__version__
__all__ = ["CodeError", "CodeList", "VbError"] + [name for name in dir(_vireo) if not name.startswith("_")]
