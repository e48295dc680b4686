"""The type stubs written from the catalogues describe the module exactly:
every name of the package and of each catalogue's submodule, every field of
every class, every member of every code list."""
import ast
import enum
import pathlib
import types

import pytest

import vireo

SUBMODULES = [value for name, value in vars(vireo).items()
              if isinstance(value, types.ModuleType) and not name.startswith("_")]


def parse(module):
    """The public names a module's stub declares (re-exports included) and its classes."""
    stem = "__init__" if module is vireo else module.__name__.rpartition(".")[2]
    path = pathlib.Path(vireo.__file__).with_name(f"{stem}.pyi")
    tree = ast.parse(path.read_text(encoding="utf-8"))
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    names = set(classes)
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            names.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            names.add(node.target.id)
        elif isinstance(node, ast.ImportFrom):
            # In a stub, only `import X as X` re-exports.
            names.update(alias.asname for alias in node.names if alias.asname == alias.name)
    return {name for name in names if not name.startswith("_")}, classes


def members(node):
    out = set()
    for item in node.body:
        if isinstance(item, ast.FunctionDef):
            out.add(item.name)
        elif isinstance(item, ast.AnnAssign):
            out.add(item.target.id)
        elif isinstance(item, ast.Assign):
            out.update(t.id for t in item.targets)
    return out - {"__init__", "__enter__", "__exit__", "__len__"}


def public(cls):
    own = set(vars(cls)) if not cls.__name__ == "Vireo" else set(dir(cls))
    return {name for name in own if not name.startswith("_")}


def test_there_is_a_submodule_per_catalogue_and_the_first_is_the_top_level():
    assert [m.__name__ for m in SUBMODULES] == ["vireo.professional_4010", "vireo.professional_5010"]
    first = SUBMODULES[0]
    assert vireo.Vireo is first.Vireo and vireo.catalogue == first.catalogue == "4010"
    assert SUBMODULES[1].catalogue == "5010"


@pytest.mark.parametrize("module", [vireo] + SUBMODULES, ids=lambda m: m.__name__)
def test_every_public_name_is_in_the_stubs(module):
    names, _ = parse(module)
    declared = set(vireo.__all__) if module is vireo else {
        name for name in vars(module) if not name.startswith("_")}
    assert names == declared


@pytest.mark.parametrize("module", [vireo] + SUBMODULES, ids=lambda m: m.__name__)
def test_every_class_is_described_member_for_member(module):
    _, classes = parse(module)
    for name, node in classes.items():
        cls = getattr(module, name)
        if isinstance(cls, enum.EnumMeta):
            assert members(node) == {m.name for m in cls}, name
            assert [int(m) for m in cls] == [ast.literal_eval(i.value) for i in node.body if isinstance(i, ast.Assign)]
        elif issubclass(cls, vireo.Segment) and cls is not vireo.Segment:
            assert members(node) == set(cls.fields) | {"set"}, name
        elif cls is vireo.Segment:
            # The class attributes of every segment class are declared once, here.
            assert members(node) == public(cls) | {"segment_id", "loop", "label", "fields", "control_property"}
        else:
            assert members(node) == public(cls), name


def test_docstrings_name_the_elements():
    _, classes = parse(SUBMODULES[0])
    clm = {item.name: ast.get_docstring(item) for item in classes["L2300_CLM_00"].body
           if isinstance(item, ast.FunctionDef) and ast.get_docstring(item)}
    assert clm["m0501_FacTypeCode"] == vireo.L2300_CLM_00.m0501_FacTypeCode.__doc__
    assert clm["m0501_FacTypeCode"].startswith("CLM05-1")
